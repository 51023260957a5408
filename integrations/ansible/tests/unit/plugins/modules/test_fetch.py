# -*- coding: utf-8 -*-
# Copyright: 2026 Velmora developers
# All rights reserved; see LICENSE at the top of the collection.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import os

from ansible_collections.velmora.board.plugins.modules import fetch
from modulekit import FakeTools, ModuleCase

BOARD = {'a.vmc': b'same', 'b.bin': b'new bytes'}
LISTING = dict(count=2, total=4096, used=24, free=4072,
               files=[dict(name=name, date='2026-12-09T14:37:34Z', size=len(content), address=0, block=1)
                      for name, content in sorted(BOARD.items())])


class FetchFiles(ModuleCase):
    CASES = [
        # what, options, check mode, get's exit status, what the folder then holds, changed, failed
        ('every listed file, one differs', {}, False, 0, BOARD, [('a.vmc', False), ('b.bin', True)], False),
        ('check mode writes nothing', {}, True, 0, {'a.vmc': b'same', 'b.bin': b'old'},
         [('a.vmc', False), ('b.bin', True)], False),
        ('a name the board lacks', dict(names=['gone', 'b.bin']), False, 1, BOARD, [('b.bin', True)], True),
    ]

    def test_board_files_into_the_hosts_folder(self):
        for what, options, check_mode, rc, holds, files, failed in self.CASES:
            with self.subTest(what):
                dest = os.path.join(self.tmp, what)
                kept = self.folder(os.path.join(what, 'board-1'), {'a.vmc': b'same', 'b.bin': b'old'})
                answers = {'ls': (0, LISTING, ''),
                           'get': (rc, None, u'velmora-fs: «gone»: Файл не существует!\n' if rc else '')}
                result = self.run_module(fetch.main, dict(options, board='127.0.0.1:2600', dest=dest,
                                                          hostname='board-1'), FakeTools(answers, BOARD),
                                         check_mode=check_mode)
                self.assertEqual(result['files'], [dict(name=name, changed=changed) for name, changed in files])
                self.assertEqual((result['changed'], result['failed'], result.get('rc')),
                                 (True, failed, rc if failed else None))
                for name, content in holds.items():
                    with open(os.path.join(kept, name), 'rb') as handle:
                        self.assertEqual(handle.read(), content)

    def test_default_folder_is_the_board_as_velmora_fs_names_it(self):
        result = self.run_module(fetch.main, dict(board='127.0.0.1:2600', dest=self.tmp, names=['a.vmc']),
                                 FakeTools(board_files=BOARD))
        self.assertEqual(result['dest'], os.path.join(self.tmp, '127.0.0.1_2600'))
