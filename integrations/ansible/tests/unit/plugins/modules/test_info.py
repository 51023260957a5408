# -*- coding: utf-8 -*-
# Copyright: 2026 Velmora developers
# All rights reserved; see LICENSE at the top of the collection.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible_collections.velmora.board.plugins.modules import info
from modulekit import FakeTools, ModuleCase


class InfoFacts(ModuleCase):
    def test_table_as_facts(self):
        table = dict(count=1, total=4194304, used=8, free=4194296,
                     files=[dict(name='a.vmc', date='2026-12-09T14:37:34Z', size=8, address=0, block=1)])
        tools = FakeTools({'ls': (0, table, '')})
        result = self.run_module(info.main, dict(board='127.0.0.1:2600'), tools, check_mode=True)
        self.assertEqual(tools.velmora_fs_calls(), [['--host', '127.0.0.1', '--port', '2600', 'ls', '--json']])
        self.assertEqual((result['failed'], result['changed']), (False, False))
        self.assertEqual(result['ansible_facts'], dict(velmora_board=table))
