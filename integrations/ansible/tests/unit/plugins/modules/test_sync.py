# -*- coding: utf-8 -*-
# Copyright: 2026 Velmora developers
# All rights reserved; see LICENSE at the top of the collection.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import hashlib

from ansible_collections.velmora.board.plugins.modules import sync
from modulekit import FakeTools, ModuleCase


def files(*changes):
    return {'files': [dict(name=name, change=change, done=done) for name, change, done in changes],
            'matches': True}


class SyncCommandLine(ModuleCase):
    CASES = [
        ('board with its port', dict(board='127.0.0.1:2600'), False,
         ['--host', '127.0.0.1', '--port', '2600', 'sync', '--json', '--', '/src']),
        ('board alone, delete and checksum', dict(board='127.0.0.1', delete=True, checksum=True), False,
         ['--host', '127.0.0.1', 'sync', '--json', '--delete', '--checksum', '--', '/src']),
        ('retries', dict(board='127.0.0.1:2600', retries=2), False,
         ['--host', '127.0.0.1', '--port', '2600', '--retries', '2', 'sync', '--json', '--', '/src']),
        ('check mode', dict(board='127.0.0.1:2600'), True,
         ['--host', '127.0.0.1', '--port', '2600', 'sync', '--json', '--dry-run', '--', '/src']),
    ]

    def test_options_to_command_line(self):
        for what, params, check_mode, expected in self.CASES:
            with self.subTest(what):
                tools = FakeTools()
                self.run_module(sync.main, dict(params, src='/src'), tools, check_mode=check_mode)
                self.assertEqual(tools.velmora_fs_calls(), [expected])


class SyncResults(ModuleCase):
    UNREACHABLE = u'velmora-fs: не удалось подключиться к 127.0.0.1:2600: в соединении отказано\n'
    CASES = [
        # what, check mode, the tool's answer, changed, failed, the message's first line
        ('all equal', False, (0, files(('a', 'equal', False)), ''), False, False, None),
        ('one sent', False, (0, files(('a', 'new', True), ('b', 'equal', False)), ''), True, False, None),
        ('all equal after a try that wrote', False,
         (0, dict(files(('a', 'equal', False)), changedByEarlierTry=True), ''), True, False, None),
        ('check mode plans a change', True, (0, files(('a', 'changed', False)), ''), True, False, None),
        ('check mode, nothing to change', True, (0, files(('a', 'equal', False)), ''), False, False, None),
        ('refused after one deleted', False,
         (1, files(('a', 'deleted', True), ('b', 'new', False)), u'velmora-fs: Не хватает памяти\n'),
         True, True, u'отказ платы или файла:'),
        ('refused before anything was sent', False, (1, files(('b', 'new', False)), u'velmora-fs: Не хватает памяти\n'),
         False, True, u'отказ платы или файла:'),
        ('usage', False, (2, None, u'velmora-fs: не папка: /src\n'), False, True, u'ошибка в параметрах:'),
        ('unreachable', False, (3, None, UNREACHABLE), False, True, u'плата недоступна или соединение потеряно:'),
    ]

    def test_tool_answers_to_results(self):
        for what, check_mode, answer, changed, failed, first_line in self.CASES:
            with self.subTest(what):
                tools = FakeTools({'sync --dry-run' if check_mode else 'sync': answer})
                result = self.run_module(sync.main, dict(src='/src', board='127.0.0.1:2600'), tools,
                                         check_mode=check_mode)
                self.assertEqual((result['changed'], result['failed']), (changed, failed))
                if answer[1]:
                    self.assertEqual(result['files'], answer[1]['files'])
                if failed:
                    self.assertEqual(result['rc'], answer[0])
                    self.assertEqual(result['msg'].split('\n'), [first_line] + answer[2].splitlines())


class SyncDiff(ModuleCase):
    def sha(self, content):
        return u'size: %d\nsha256: %s\n' % (len(content), hashlib.sha256(content).hexdigest())

    def test_each_changed_file_before_and_after(self):
        src = self.folder('src', {'a.vmc': b'new', 'n.vmc': b'fresh', 'same.bin': b'='})
        plan = files(('a.vmc', 'changed', False), ('n.vmc', 'new', False), ('gone.bin', 'deleted', False),
                     ('same.bin', 'equal', False))
        board = {'a.vmc': b'old', 'gone.bin': b'xyz', 'same.bin': b'='}
        expected = [
            (u'a.vmc', u"dump of a.vmc: b'old'\n", u"dump of a.vmc: b'new'\n"),
            (u'n.vmc', u'', u"dump of n.vmc: b'fresh'\n"),
            (u'gone.bin', self.sha(b'xyz'), u''),
        ]
        for check_mode in (True, False):
            with self.subTest(check_mode=check_mode):
                tools = FakeTools({'sync --dry-run': (0, plan, ''), 'sync': (0, plan, '')}, board)
                result = self.run_module(sync.main, dict(src=src, board='127.0.0.1:2600', delete=True), tools,
                                         check_mode=check_mode, diff=True)
                self.assertEqual([(d['before_header'], d['before'], d['after']) for d in result['diff']],
                                 [(u'127.0.0.1:2600: ' + name, before, after) for name, before, after in expected])
                # The board's copies are fetched before the run changes them; check mode never runs it.
                order = [call[4:] for call in tools.velmora_fs_calls()]
                real_run = [['sync', '--json', '--delete', '--', src]]
                self.assertEqual(order, [['sync', '--json', '--delete', '--dry-run', '--', src],
                                         ['get', '-o', order[1][2], '--', 'a.vmc', 'gone.bin']]
                                 + ([] if check_mode else real_run))
