# -*- coding: utf-8 -*-
# Copyright: 2026 Velmora developers
# All rights reserved; see LICENSE at the top of the collection.

"""What the modules share: the board's address as velmora-fs options, running a tool and
reading its JSON, and a failure told with the tool's own message and exit status."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json

# The tools' exit statuses other than 0, in the words of velmora-fs --help.
EXIT_MEANINGS = {
    1: u'отказ платы или файла',
    2: u'ошибка в параметрах',
    3: u'плата недоступна или соединение потеряно',
}

BOARD_OPTION = dict(type='str', required=True)


def board_arguments(board):
    """ADDR[:PORT] as --host/--port, which give one board's own JSON document and unprefixed
    messages; the tool checks the address and the port, and takes its default port without one."""
    host, colon, port = board.rpartition(':')
    if not colon:
        return ['--host', board]
    return ['--host', host, '--port', port]


def tool_message(rc, err):
    """The tool's stderr lines after the meaning of its exit status."""
    lines = [line for line in err.splitlines() if line.strip()]
    meaning = EXIT_MEANINGS.get(rc, u'код выхода %d' % rc)
    return u'\n'.join([meaning + u':'] + lines) if lines else meaning


def fail_with_tool(module, command, rc, out, err, **extra):
    module.fail_json(msg=tool_message(rc, err), rc=rc, cmd=command, stdout=out, stderr=err,
                     stderr_lines=err.splitlines(), **extra)


def parse_json(module, command, rc, out, err):
    """The tool's document; a failure may give none, a success always does."""
    try:
        return None if rc != 0 and not out.strip() else json.loads(out)
    except ValueError:
        module.fail_json(msg=u'%s: в выводе нет документа JSON' % command[0], rc=rc, cmd=command, stdout=out,
                         stderr=err)


def run_json(module, command, allow_failure=False):
    """Runs a tool with --json and returns (rc, document, stderr). A failure ends the module
    unless the caller takes it, for a document that tells what was done before it."""
    rc, out, err = module.run_command(command, encoding='utf-8')
    document = parse_json(module, command, rc, out, err)
    if rc != 0 and not allow_failure:
        fail_with_tool(module, command, rc, out, err)
    return rc, document, err


def run_text(module, command):
    rc, out, err = module.run_command(command, encoding='utf-8')
    if rc != 0:
        fail_with_tool(module, command, rc, out, err)
    return out


class FsTool:
    """velmora-fs on one board."""

    def __init__(self, module, board, retries=0):
        self.module = module
        self.base = [module.get_bin_path('velmora-fs', required=True)] + board_arguments(board)
        if retries > 0:
            self.base += ['--retries', str(retries)]

    def command(self, *arguments):
        return self.base + list(arguments)

    def listing(self):
        return run_json(self.module, self.command('ls', '--json'))[1]

    def get(self, names, folder):
        """Downloads the files into the folder; returns (command, rc, stdout, stderr) so that the
        files that arrived are still used when others did not."""
        command = self.command('get', '-o', folder, '--', *names)
        rc, out, err = self.module.run_command(command, encoding='utf-8')
        return command, rc, out, err
