# -*- coding: utf-8 -*-
# Copyright: 2026 Velmora developers
# All rights reserved; see LICENSE at the top of the collection.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: sync
short_description: Make a board hold the files of a folder
version_added: 2.0.7
description:
  - Runs C(velmora-fs sync --json) on the controller for one board, which sends only the new and
    changed files of the folder and, with C(delete), deletes the board files the folder does not hold.
  - Before it changes anything the tool checks every name and size and that the end state fits the
    board's memory; otherwise nothing changes and the task fails with the tool's message.
  - In check mode runs C(velmora-fs sync --dry-run), which changes nothing on the board.
  - In diff mode shows each changed file before and after; a C(.vmc) configuration file as the
    readable text of C(vmc dump), other files as their size and SHA-256. The board's copies are
    downloaded into a temporary folder to compare them.
  - Also needs C(vmc) on the controller's PATH for the diff of C(.vmc) files.
options:
  src:
    description:
      - Folder on the controller whose regular files, at its top, the board is to hold.
      - A relative path is taken from the folder C(ansible-playbook) runs in; C({{ playbook_dir }}) makes it
        the playbook's.
    type: path
    required: true
  delete:
    description:
      - Also delete the board files that C(src) does not hold, before anything is sent.
    type: bool
    default: false
  checksum:
    description:
      - Compare every file by its bytes, fetching each board copy, instead of trusting a record
        of what was last sent (C(velmora-fs sync --checksum)).
    type: bool
    default: false
  retries:
    description:
      - How many times velmora-fs tries again when the board cannot be reached or the connection
        is lost (C(velmora-fs --retries)); 0 tries once. A try cut off after it wrote makes the
        task changed, whatever the last try found.
    type: int
    default: 0
extends_documentation_fragment:
  - velmora.board.board
  - ansible.builtin.action_common_attributes
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
  platform:
    platforms: posix
notes:
  - The board stores whole 4-byte words, so the diff of a board copy may show up to three zero
    bytes at its end that the local file does not have.
seealso:
  - module: velmora.board.info
  - module: velmora.board.fetch
author:
  - Velmora developers
'''

EXAMPLES = r'''
- name: Commission every board of the line with the folder's configuration files
  velmora.board.sync:
    src: "{{ playbook_dir }}/line-a"
    board: "{{ ansible_host }}:{{ board_port }}"
    delete: true

- name: Compare every file by its bytes and try a busy board again
  velmora.board.sync:
    src: "{{ playbook_dir }}/line-a"
    board: "{{ ansible_host }}"
    checksum: true
    retries: 3
'''

RETURN = r'''
files:
  description: One item per file of the folder and of the board, as C(velmora-fs sync --json) gives them.
  returned: when the tool made its plan
  type: list
  elements: dict
  contains:
    name:
      description: The file's name.
      type: str
      sample: ModelId_42.vmc
    change:
      description: C(new), C(changed), C(deleted) or C(equal).
      type: str
      sample: changed
    done:
      description: Whether the change was made; always false in check mode.
      type: bool
      sample: true
  sample: [{name: ModelId_42.vmc, change: changed, done: true}]
matches:
  description: Whether the board matches the folder afterwards (check mode, whether nothing is to change).
  returned: when the tool made its plan
  type: bool
  sample: true
rc:
  description: The exit status of velmora-fs (1 refused, 2 usage, 3 board unreachable or connection lost).
  returned: failed
  type: int
  sample: 3
stderr_lines:
  description: The tool's messages, every line starting with C(velmora-fs:).
  returned: failed
  type: list
  elements: str
  sample: ["velmora-fs: не удалось подключиться к 127.0.0.1:2502: в соединении отказано"]
'''

import hashlib
import os
import shutil
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.velmora.board.plugins.module_utils.velmora_tools import (
    BOARD_OPTION,
    FsTool,
    fail_with_tool,
    run_json,
    run_text,
)

CHANGES = ('new', 'changed', 'deleted')


def changed_files(files):
    return [item for item in files if item['change'] in CHANGES]


def plan_result(document):
    """The files and whether the board matches, from the tool's document when it gave one."""
    document = document or {}
    return dict((key, document[key]) for key in ('files', 'matches') if key in document)


class Differ:
    """Readable texts of one file, board copy or local: vmc dump for a configuration file (named
    as the window reads it), size and SHA-256 for any other."""

    def __init__(self, module):
        self.module = module
        self.vmc = None

    def text(self, path):
        if path is None:
            return ''
        if path.endswith('.vmc'):
            if self.vmc is None:
                self.vmc = self.module.get_bin_path('vmc', required=True)
            # --textconv never fails: a file vmc cannot read shows as a hex dump.
            return run_text(self.module, [self.vmc, 'dump', '--textconv', path])
        with open(path, 'rb') as handle:
            content = handle.read()
        return u'size: %d\nsha256: %s\n' % (len(content), hashlib.sha256(content).hexdigest())


def board_copies(module, tool, names):
    """Downloads the board's copies of the files into a temporary folder, keeping their names."""
    folder = tempfile.mkdtemp(prefix='velmora-diff-', dir=module.tmpdir)
    if names:
        command, rc, out, err = tool.get(names, folder)
        if rc != 0:
            fail_with_tool(module, command, rc, out, err)
    return folder


def diff_of(module, tool, board, src, files):
    """Ansible's list of diffs, one per file that changes; a new file's before and a deleted
    file's after are empty."""
    changing = changed_files(files)
    on_board = [item['name'] for item in changing if item['change'] != 'new']
    folder = board_copies(module, tool, on_board)
    try:
        differ = Differ(module)
        diffs = []
        for item in changing:
            name = item['name']
            before = None if item['change'] == 'new' else os.path.join(folder, name)
            after = None if item['change'] == 'deleted' else os.path.join(src, name)
            diffs.append(dict(before_header=u'%s: %s' % (board, name), after_header=os.path.join(src, name),
                              before=differ.text(before), after=differ.text(after)))
        return diffs
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def main():
    module = AnsibleModule(
        argument_spec=dict(
            src=dict(type='path', required=True),
            board=BOARD_OPTION,
            delete=dict(type='bool', default=False),
            checksum=dict(type='bool', default=False),
            retries=dict(type='int', default=0),
        ),
        supports_check_mode=True,
    )
    params = module.params
    tool = FsTool(module, params['board'], params['retries'])
    options = ['sync', '--json']
    if params['delete']:
        options.append('--delete')
    if params['checksum']:
        options.append('--checksum')

    def sync(dry_run):
        command = tool.command(*(options + (['--dry-run'] if dry_run else []) + ['--', params['src']]))
        return command, run_json(module, command, allow_failure=True)

    result = dict(changed=False)
    # The diff needs the board's copies from before the run: the plan comes first.
    if module._diff or module.check_mode:
        command, (rc, plan, err) = sync(dry_run=True)
        if rc != 0:
            fail_with_tool(module, command, rc, '', err, **plan_result(plan))
        result.update(plan_result(plan))
        if module._diff:
            result['diff'] = diff_of(module, tool, params['board'], params['src'], plan['files'])
        if module.check_mode or not changed_files(plan['files']):
            result['changed'] = bool(changed_files(plan['files']))
            module.exit_json(**result)

    command, (rc, done, err) = sync(dry_run=False)
    result.update(plan_result(done))
    # A try cut off after it wrote leaves its changes out of the last try's files.
    result['changed'] = (any(item['done'] for item in changed_files(result.get('files', [])))
                         or bool((done or {}).get('changedByEarlierTry')))
    if rc != 0:
        fail_with_tool(module, command, rc, '', err, **result)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
