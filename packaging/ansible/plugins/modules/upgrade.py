#!/usr/bin/python
# Copyright (c) 2026 Korvane
# MIT License (see LICENSE)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: upgrade
short_description: Flash a module file to the printers of one print server with tessaline-cli
version_added: "3.2.0"
description:
  - Runs C(tessaline-cli upgrade FILE ... --json --yes) on the managed host, the site's print
    server, and returns one result per printer as the CLI reports it.
  - With C(expect_version), each printer is asked first and one that already runs it is not sent
    the file, so running the same task again finishes a run that was cut short.
  - In check mode nothing is sent; C(tessaline-cli inventory) is run instead and the printers are
    sorted into C(would_upgrade), C(current) and C(cannot_ask).
requirements:
  - tessaline-cli on the managed host
options:
  file:
    description: The module file on the managed host, sent whole and unchanged.
    type: path
    required: true
  sha256:
    description: Send nothing unless the file has this SHA-256 (64 hexadecimal digits).
    type: str
  expect_version:
    description:
      - The version the printers run after the upgrade. Printers that run it already are left
        alone; the others are asked after their job until they report it.
    type: str
  component:
    description: The firmware component C(expect_version) is of; without it, the printer's only one.
    type: str
  parallel:
    description: At most this many jobs in flight (1 to 64; the CLI's default is 4).
    type: int
  max_failures:
    description: Start no new job once this many printers have failed.
    type: int
  wait:
    description: Follow each job until it ends, for at most this many seconds.
    type: int
  verify_timeout:
    description: How long a printer may take to report C(expect_version) after its job, in seconds.
    type: int
extends_documentation_fragment:
  - korvane.tessaline.common
notes:
  - Supports check mode.
  - A printer counts as failed unless it ends C(Verified), C(AlreadyCurrent), or C(Completed) with
    every byte written and its job not reported anything but completed.
author:
  - Korvane
"""

EXAMPLES = r"""
- name: Upgrade the site's printers to 2.1.0, pinned to the file's digest
  korvane.tessaline.upgrade:
    file: /srv/firmware/module-2.1.0.kmf
    sha256: 5f0c6e0f3e8a1b0b9c4d2a7f1e6d3c8b9a0f1e2d3c4b5a69788796a5b4c3d2e1
    expect_version: 2.1.0
    printers_file: /etc/tessaline/site.txt
  register: upgrade

- name: Two printers by name, through another CUPS server, signed in over TLS
  korvane.tessaline.upgrade:
    file: /srv/firmware/module.kmf
    printers: [laser1, laser2]
    server: cups.example:631
    encrypt: true
    user: operator
    password: "{{ vault_cups_password }}"
    wait: 300
"""

RETURN = r"""
printers:
  description:
    - The CLI's objects, one per printer, as it printed them (keys C(printer), C(stage), C(size),
      C(written), C(job), C(state), C(message), C(version_before), C(version_after) ...).
    - In check mode, the inventory objects instead, and C(summary) is the inventory's.
  returned: always
  type: list
  elements: dict
summary:
  description: Counts over the run.
  returned: always
  type: dict
  contains:
    printers:
      description: How many printers were asked for (null when the printers file could not be read).
      type: int
    reported:
      description: How many printers the CLI reported.
      type: int
    stages:
      description: How many printers ended in each stage.
      type: dict
    unknown:
      description: The printers asked for that the CLI did not report (a run cut short).
      type: list
      elements: str
stderr:
  description: What the CLI wrote on standard error.
  returned: when the CLI ran, not in check mode
  type: str
rc:
  description: The CLI's exit code.
  returned: when the CLI ran
  type: int
would_upgrade:
  description: In check mode, the printers that would be sent the file.
  returned: check mode
  type: list
  elements: str
current:
  description: In check mode, the printers whose component runs C(expect_version) already.
  returned: check mode
  type: list
  elements: str
cannot_ask:
  description: In check mode, the printers that did not answer or have no single chosen component.
  returned: check mode
  type: list
  elements: str
versions:
  description: In check mode, each printer's version of the chosen component (null where unknown).
  returned: check mode
  type: dict
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.korvane.tessaline.plugins.module_utils import tessaline_cli as tc


def check(module, asked):
    objects, result = tc.run_inventory(module, asked)
    result.update(tc.classify(objects, module.params["component"], module.params["expect_version"]))
    result["changed"] = bool(result["would_upgrade"])
    module.exit_json(**result)


def main():
    options = dict(
        file=dict(type="path", required=True),
        sha256=dict(type="str"),
        expect_version=dict(type="str"),
        component=dict(type="str"),
        max_failures=dict(type="int"),
        wait=dict(type="int"),
        verify_timeout=dict(type="int"),
    )
    options.update(tc.PRINTER_OPTIONS)
    options.update(tc.SIGN_IN_OPTIONS)
    module = AnsibleModule(argument_spec=options, required_one_of=tc.ONE_OF_PRINTERS,
                           supports_check_mode=True)
    asked = tc.asked_printers(module.params)
    if module.check_mode:
        check(module, asked)

    rc, out, err = tc.run_cli(module, tc.upgrade_argv)
    objects = tc.parse_lines(out)
    result = dict(changed=tc.sent_any(objects), rc=rc, printers=objects,
                  summary=tc.upgrade_summary(objects, asked), stderr=err)
    tc.fail_unless_ran(module, err, objects, asked, result)
    if rc != 0:
        module.fail_json(msg=tc.failed_msg(objects, asked, err), **result)
    module.exit_json(**result)


if __name__ == "__main__":
    main()
