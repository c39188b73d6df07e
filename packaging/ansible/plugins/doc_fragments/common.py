# Copyright (c) 2026 Korvane
# MIT License (see LICENSE)
"""The options every module takes: its printers, the print server, signing in, and the CLI."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r"""
options:
  printers:
    description: Printers as the print server lists them, or C(ipp://) and C(ipps://) addresses.
    type: list
    elements: str
  printers_file:
    description:
      - A file on the managed host with one printer a line; blank lines and lines starting with
        C(#) are skipped.
    type: path
  server:
    description: The CUPS server, C(HOST[:PORT]).
    type: str
  encrypt:
    description: Require TLS to the server and to every printer.
    type: bool
    default: false
  user:
    description: The user name to sign in with.
    type: str
  password:
    description:
      - The password. It reaches the CLI in a temporary file only its owner can read, removed when
        the CLI ends; never on its command line or in its environment.
    type: str
  cli:
    description: The CLI; a bare name is searched on C(PATH).
    type: path
    default: tessaline-cli
"""
