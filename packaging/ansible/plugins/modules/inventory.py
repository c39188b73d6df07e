#!/usr/bin/python
# Copyright (c) 2026 Korvane
# MIT License (see LICENSE)

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: inventory
short_description: Ask the printers of one print server what firmware they run, with tessaline-cli
version_added: "3.2.0"
description:
  - Runs C(tessaline-cli inventory ... --json) on the managed host and returns one object per
    printer. Nothing is sent to the printers but the questions; the task never changes anything.
  - A printer that cannot be asked is reported in its object (C(message)), not as a failure.
requirements:
  - tessaline-cli on the managed host
options:
  parallel:
    description: Ask at most this many printers at once (1 to 64; the CLI's default is 4).
    type: int
extends_documentation_fragment:
  - korvane.tessaline.common
notes:
  - Supports check mode, where it does the same.
author:
  - Korvane
"""

EXAMPLES = r"""
- name: Ask the site's printers
  korvane.tessaline.inventory:
    printers_file: /etc/tessaline/site.txt
  register: site

- name: Show the versions
  ansible.builtin.debug:
    msg: "{{ site.printers | map(attribute='components') | list }}"
"""

RETURN = r"""
printers:
  description:
    - The CLI's objects, one per printer (keys C(printer), C(asked_at), C(make_and_model),
      C(components) with C(name), C(version) and C(patches), C(state), C(state_reasons),
      C(up_time), C(message)).
  returned: always
  type: list
  elements: dict
summary:
  description: Counts over the printers.
  returned: always
  type: dict
  contains:
    printers:
      description: How many printers the CLI reported.
      type: int
    answered:
      description: How many answered with their components and no message.
      type: int
    not_answered:
      description: How many did not.
      type: int
    unknown:
      description: The printers asked for that the CLI did not report (a run cut short).
      type: list
      elements: str
rc:
  description: The CLI's exit code (4 when a printer could not be asked).
  returned: when the CLI ran
  type: int
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.korvane.tessaline.plugins.module_utils import tessaline_cli as tc


def main():
    options = dict(tc.PRINTER_OPTIONS)
    options.update(tc.SIGN_IN_OPTIONS)
    module = AnsibleModule(argument_spec=options, required_one_of=tc.ONE_OF_PRINTERS,
                           supports_check_mode=True)
    result = tc.run_inventory(module, tc.asked_printers(module.params))[1]
    module.exit_json(**result)


if __name__ == "__main__":
    main()
