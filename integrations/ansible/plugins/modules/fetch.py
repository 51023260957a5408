# -*- coding: utf-8 -*-
# Copyright: 2026 Velmora developers
# All rights reserved; see LICENSE at the top of the collection.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: fetch
short_description: Copy a board's files to the controller
version_added: 2.0.7
description:
  - Downloads board files with C(velmora-fs get) into C(dest/hostname/) on the controller, one
    folder per board as M(ansible.builtin.fetch) lays out its files.
  - A file is replaced only when its content differs, whole or not at all; the task changes when
    any file did.
  - In check mode the files are still downloaded, into a temporary folder, to tell which would
    change; nothing under C(dest) is written.
  - A file the board does not hold fails the task with the tool's message; the files that did
    arrive are still placed.
options:
  names:
    description:
      - The board files to fetch; all the files the board lists when not given.
    type: list
    elements: str
  dest:
    description:
      - Folder on the controller under which each board gets a folder of its own.
    type: path
    required: true
  hostname:
    description:
      - The name of the board's folder under C(dest), usually C("{{ inventory_hostname }}").
      - Defaults to C(board) with C(:) as C(_), as C(velmora-fs get) names a board's folder.
    type: str
extends_documentation_fragment:
  - velmora.board.board
  - ansible.builtin.action_common_attributes
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
  platform:
    platforms: posix
notes:
  - The board stores whole 4-byte words, so a fetched file can end with up to three zero bytes
    that the uploaded file did not have.
seealso:
  - module: velmora.board.sync
  - module: ansible.builtin.fetch
author:
  - Velmora developers
'''

EXAMPLES = r'''
- name: Keep a copy of every board's files, one folder per inventory host
  velmora.board.fetch:
    board: "{{ ansible_host }}:{{ board_port }}"
    dest: "{{ playbook_dir }}/fetched"
    hostname: "{{ inventory_hostname }}"

- name: Fetch the model's configuration only
  velmora.board.fetch:
    board: "{{ ansible_host }}"
    names: [ModelId_42.vmc]
    dest: backup
'''

RETURN = r'''
dest:
  description: The board's folder on the controller.
  returned: always
  type: str
  sample: /srv/line-a/fetched/board-1
files:
  description: One item per file that arrived.
  returned: always
  type: list
  elements: dict
  contains:
    name:
      description: The file's name on the board.
      type: str
    changed:
      description: Whether the copy on the controller was new or differed (check mode, would).
      type: bool
  sample: [{name: ModelId_42.vmc, changed: true}]
rc:
  description: The exit status of velmora-fs (1 refused, 2 usage, 3 board unreachable or connection lost).
  returned: failed
  type: int
  sample: 1
'''

import filecmp
import os
import shutil
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.velmora.board.plugins.module_utils.velmora_tools import BOARD_OPTION, FsTool, fail_with_tool


def place(module, arrived, target, names):
    """Moves each downloaded file that differs from the controller's copy into the target folder."""
    files = []
    for name in names:
        source = os.path.join(arrived, name)
        if not os.path.isfile(source):
            continue
        kept = os.path.join(target, name)
        differs = not (os.path.isfile(kept) and filecmp.cmp(source, kept, shallow=False))
        if differs and not module.check_mode:
            if not os.path.isdir(target):
                os.makedirs(target)
            module.atomic_move(source, kept)
        files.append(dict(name=name, changed=differs))
    return files


def main():
    module = AnsibleModule(
        argument_spec=dict(
            board=BOARD_OPTION,
            names=dict(type='list', elements='str'),
            dest=dict(type='path', required=True),
            hostname=dict(type='str'),
        ),
        supports_check_mode=True,
    )
    params = module.params
    tool = FsTool(module, params['board'])
    names = params['names']
    if names is None:
        names = [item['name'] for item in tool.listing()['files']]
    target = os.path.join(params['dest'], params['hostname'] or params['board'].replace(':', '_'))
    result = dict(changed=False, dest=target, files=[])
    if not names:
        module.exit_json(**result)

    arrived = tempfile.mkdtemp(prefix='velmora-fetch-', dir=module.tmpdir)
    try:
        command, rc, out, err = tool.get(names, arrived)
        result['files'] = place(module, arrived, target, names)
    finally:
        shutil.rmtree(arrived, ignore_errors=True)
    result['changed'] = any(item['changed'] for item in result['files'])
    if rc != 0:
        fail_with_tool(module, command, rc, out, err, **result)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
