# -*- coding: utf-8 -*-
# Copyright: 2026 Velmora developers
# All rights reserved; see LICENSE at the top of the collection.

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    # The option every module of the collection takes: which board velmora-fs talks to.
    DOCUMENTATION = r'''
options:
  board:
    description:
      - The board as C(ADDR[:PORT]), an IPv4 address and a TCP port (2502 when none is given);
        usually C("{{ ansible_host }}:{{ board_port }}") or C("{{ ansible_host }}").
    type: str
    required: true
notes:
  - Runs C(velmora-fs) from the controller's PATH. Run it with C(connection=local), one inventory
    host per board.
'''
