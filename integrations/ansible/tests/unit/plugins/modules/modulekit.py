# -*- coding: utf-8 -*-
# Copyright: 2026 Velmora developers
# All rights reserved; see LICENSE at the top of the collection.

"""Runs a module's main() with its arguments, the tools faked behind run_command."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import os
import shutil
import tempfile
import unittest
from unittest import mock

from ansible.module_utils import basic
from ansible.module_utils.common.text.converters import to_bytes


class Exit(Exception):
    def __init__(self, result, failed):
        super(Exit, self).__init__(result)
        self.result = dict(result, failed=failed)


class FakeTools:
    """velmora-fs and vmc as run_command sees them: each velmora-fs command answers from a table
    (command -> (rc, document or None, stderr)); get writes the board's files it holds; vmc dump
    tells which file it read and its bytes."""

    def __init__(self, answers=None, board_files=None):
        self.answers = answers or {}
        self.board_files = board_files or {}
        self.calls = []

    def __call__(self, command, **kwargs):
        self.calls.append(list(command))
        program = os.path.basename(command[0])
        if program == 'vmc':
            with open(command[-1], 'rb') as handle:
                return 0, 'dump of %s: %r\n' % (os.path.basename(command[-1]), handle.read()), ''
        verb = next(word for word in command if word in ('ls', 'sync', 'get'))
        if verb == 'sync' and '--dry-run' in command:
            verb = 'sync --dry-run'
        if verb == 'get':
            names = command[command.index('--') + 1:]
            folder = command[command.index('-o') + 1]
            for name in names:
                if name in self.board_files:
                    with open(os.path.join(folder, name), 'wb') as handle:
                        handle.write(self.board_files[name])
        rc, document, err = self.answers.get(verb, (0, dict(files=[], matches=True), ''))
        return rc, json.dumps(document) if document is not None else '', err

    def velmora_fs_calls(self):
        return [call[1:] for call in self.calls if os.path.basename(call[0]) == 'velmora-fs']


class ModuleCase(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.tmp)

    def run_module(self, main, params, tools, check_mode=False, diff=False):
        arguments = dict(params, _ansible_check_mode=check_mode, _ansible_diff=diff, _ansible_tmpdir=self.tmp)

        def leave(failed):
            def raise_exit(module, **result):
                raise Exit(result, failed)
            return raise_exit

        with mock.patch.object(basic, '_ANSIBLE_ARGS', to_bytes(json.dumps({'ANSIBLE_MODULE_ARGS': arguments}))), \
                mock.patch.object(basic.AnsibleModule, 'exit_json', leave(False)), \
                mock.patch.object(basic.AnsibleModule, 'fail_json', leave(True)), \
                mock.patch.object(basic.AnsibleModule, 'run_command', side_effect=tools), \
                mock.patch.object(basic.AnsibleModule, 'get_bin_path', side_effect=lambda name, **kw: '/bin/' + name):
            with self.assertRaises(Exit) as raised:
                main()
        return raised.exception.result

    def folder(self, name, files):
        path = os.path.join(self.tmp, name)
        os.makedirs(path)
        for file_name, content in files.items():
            with open(os.path.join(path, file_name), 'wb') as handle:
                handle.write(content)
        return path
