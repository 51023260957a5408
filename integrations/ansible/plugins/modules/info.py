# -*- coding: utf-8 -*-
# Copyright: 2026 Velmora developers
# All rights reserved; see LICENSE at the top of the collection.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: info
short_description: A board's files and memory as facts
version_added: 2.0.7
description:
  - Reads the board's file table and memory totals with C(velmora-fs ls --json) on the controller
    and sets them as the fact C(velmora_board). Changes nothing.
extends_documentation_fragment:
  - velmora.board.board
  - ansible.builtin.action_common_attributes
  - ansible.builtin.action_common_attributes.facts
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
  facts:
    support: full
  platform:
    platforms: posix
seealso:
  - module: velmora.board.sync
author:
  - Velmora developers
'''

EXAMPLES = r'''
- name: Read the board's files
  velmora.board.info:
    board: "{{ ansible_host }}:{{ board_port }}"

- name: Say how much memory is free
  ansible.builtin.debug:
    msg: "{{ velmora_board.free }} bytes free of {{ velmora_board.total }}"
'''

RETURN = r'''
ansible_facts:
  description: The board's table as C(velmora-fs ls --json) gives it.
  returned: success
  type: complex
  contains:
    velmora_board:
      description: The files and the memory totals in bytes.
      type: dict
      contains:
        count:
          description: How many files the board holds.
          type: int
          sample: 2
        total:
          description: The board's memory.
          type: int
          sample: 4194304
        used:
          description: The memory the files take, in whole 4-byte words.
          type: int
          sample: 744
        free:
          description: The memory left.
          type: int
          sample: 4193560
        files:
          description: One item per file, with its C(name), C(date) (ISO 8601, UTC), C(size),
            C(address) and C(block).
          type: list
          elements: dict
          sample: [{name: ModelId_42.vmc, date: "2026-12-09T14:37:34Z", size: 728, address: 16, block: 3}]
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.velmora.board.plugins.module_utils.velmora_tools import BOARD_OPTION, FsTool


def main():
    module = AnsibleModule(argument_spec=dict(board=BOARD_OPTION), supports_check_mode=True)
    table = FsTool(module, module.params['board']).listing()
    module.exit_json(changed=False, ansible_facts=dict(velmora_board=table))


if __name__ == '__main__':
    main()
