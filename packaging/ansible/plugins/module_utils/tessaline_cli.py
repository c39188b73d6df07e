# Copyright (c) 2026 Korvane
# MIT License (see LICENSE)
"""What the modules share: finding tessaline-cli, the password file, the argv, reading its JSON
lines and judging them. tessaline-cli does the work; nothing here talks to a printer."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import os
import tempfile

# The CLI's exit codes: its command line refused, a printer not asked (inventory), Ctrl-C.
USAGE = 1
NOT_OPENED = 4
INTERRUPTED = 130

SIGN_IN_OPTIONS = dict(
    server=dict(type="str"),
    encrypt=dict(type="bool", default=False),
    user=dict(type="str"),
    password=dict(type="str", no_log=True),
)

PRINTER_OPTIONS = dict(
    printers=dict(type="list", elements="str"),
    printers_file=dict(type="path"),
    parallel=dict(type="int"),
    cli=dict(type="path", default="tessaline-cli"),
)

ONE_OF_PRINTERS = [["printers", "printers_file"]]


def find_cli(cli, path=None):
    """The CLI's path and None, or None and why it was not found."""
    if os.sep in cli:
        places = [cli]
    else:
        dirs = (os.environ.get("PATH", "") if path is None else path).split(os.pathsep)
        places = [os.path.join(d, cli) for d in dirs if d]
        cli = os.pathsep.join(d for d in dirs if d)
    for place in places:
        if os.path.isfile(place) and os.access(place, os.X_OK):
            return place, None
    return None, "tessaline-cli not found: searched %s" % cli


def printer_args(params):
    argv = []
    for name in params.get("printers") or []:
        argv += ["--printer", name]
    if params.get("printers_file"):
        argv += ["--printers-file", params["printers_file"]]
    if params.get("parallel") is not None:
        argv += ["--parallel", str(params["parallel"])]
    return argv


def sign_in_args(params, password_file):
    argv = []
    if params.get("server"):
        argv += ["--server", params["server"]]
    if params.get("encrypt"):
        argv.append("--encrypt")
    if params.get("user"):
        argv += ["--user", params["user"]]
    if password_file:
        argv += ["--password-file", password_file]
    return argv


def inventory_argv(cli, params, password_file):
    return ([cli, "inventory"] + printer_args(params) + ["--json"]
            + sign_in_args(params, password_file))


def upgrade_argv(cli, params, password_file):
    argv = [cli, "upgrade", params["file"]] + printer_args(params) + ["--json", "--yes"]
    for key, flag in (("sha256", "--sha256"), ("expect_version", "--expect-version"),
                      ("component", "--component"), ("max_failures", "--max-failures"),
                      ("verify_timeout", "--verify-timeout")):
        if params.get(key) is not None:
            argv += [flag, str(params[key])]
    # The seconds are glued on: --wait takes them only when they follow as digits.
    if params.get("wait") is not None:
        argv.append("--wait=%d" % params["wait"])
    return argv + sign_in_args(params, password_file)


def write_password_file(password, directory=None):
    """A file only its owner can read (mkstemp makes it 0600), holding the password's one line."""
    fd, path = tempfile.mkstemp(prefix="tessaline-password-", dir=directory)
    try:
        with os.fdopen(fd, "w") as out:
            out.write(password + "\n")
    except Exception:
        os.unlink(path)
        raise
    return path


def run_cli(module, build_argv):
    """Runs build_argv(password_file) with module.run_command and returns (rc, out, err). The
    password goes only through the file, which is removed whatever happens."""
    cli, why = find_cli(module.params["cli"])
    if cli is None:
        module.fail_json(msg=why)
    password = module.params.get("password")
    if password is not None and ("\n" in password or "\r" in password):
        module.fail_json(msg="the password must be one line: tessaline-cli reads the first")
    path = None
    try:
        if password is not None:
            # In the task's own temporary folder, which Ansible removes even if this process
            # is killed before it can.
            path = write_password_file(password, getattr(module, "tmpdir", None))
        return module.run_command(build_argv(cli, module.params, path))
    finally:
        if path is not None:
            os.unlink(path)


def parse_lines(out):
    """The JSON objects of out, one a line. A run cut short may leave half a line: it is dropped."""
    objects = []
    for line in out.splitlines():
        try:
            value = json.loads(line)
        except ValueError:
            continue
        if isinstance(value, dict):
            objects.append(value)
    return objects


def asked_printers(params):
    """The printers asked for, as given, in order; None when the printers file cannot be read."""
    names = list(params.get("printers") or [])
    if params.get("printers_file"):
        try:
            with open(params["printers_file"], encoding="utf-8", errors="surrogateescape") as lines:
                for line in lines:
                    line = line.strip()
                    if line and not line.startswith("#"):
                        names.append(line)
        except (IOError, OSError):
            return None
    return names


def unknown_printers(objects, asked):
    reported = set(o.get("printer") for o in objects)
    return [name for name in asked or [] if name not in reported]


def cut_short(rc):
    return rc < 0 or rc == INTERRUPTED


def cut_short_msg(rc, objects, asked):
    how = "by signal %d" % -rc if rc < 0 else "(interrupted)"
    unknown = unknown_printers(objects, asked)
    msg = "tessaline-cli was cut short %s: %d printers reported, the rest are unknown" % (
        how, len(objects))
    return msg + (": " + ", ".join(unknown) if unknown else "")


def printer_failed(obj):
    stage = obj.get("stage")
    if stage in ("Verified", "AlreadyCurrent"):
        return False
    return not (stage == "Completed" and obj.get("written") == obj.get("size")
                and obj.get("state") in (None, "Completed"))


def failed_msg(objects, asked, err):
    """Names each failed printer with its stage and message. The CLI gives some reasons (a file
    it cannot open) only on standard error: then its words follow."""
    failed = [o for o in objects if printer_failed(o)]
    if not failed:
        return err.strip()
    total = len(asked) if asked is not None else len(objects)
    parts = []
    for obj in failed:
        why = obj.get("stage")
        if obj.get("message"):
            why += ": " + obj["message"]
        parts.append("%s (%s)" % (obj.get("printer"), why))
    msg = "%d of %d printers failed: %s" % (len(failed), total, "; ".join(parts))
    said = "; ".join(line.strip() for line in err.splitlines() if line.strip())
    if said and any(not o.get("message") for o in failed):
        msg += ". " + said
    return msg


def upgrade_summary(objects, asked):
    stages = {}
    for obj in objects:
        stages[obj.get("stage")] = stages.get(obj.get("stage"), 0) + 1
    return dict(printers=len(asked) if asked is not None else None, reported=len(objects),
                stages=stages, unknown=unknown_printers(objects, asked))


def sent_any(objects):
    return any(o.get("job") is not None or (o.get("written") or 0) > 0 for o in objects)


def answered(obj):
    return obj.get("message") is None and bool(obj.get("components"))


def chosen_version(obj, component):
    """The version of the named component (matched ignoring case, as the CLI does), or of the
    only one; None when the printer did not answer or the choice is not one component."""
    if not answered(obj):
        return None
    comps = obj["components"]
    if component is not None:
        comps = [c for c in comps if (c.get("name") or "").lower() == component.lower()]
    return comps[0].get("version") if len(comps) == 1 else None


def classify(objects, component, expect_version):
    """Which printers an upgrade would send the file to: would_upgrade, current, cannot_ask,
    and each printer's chosen version (None where it could not be asked)."""
    result = dict(would_upgrade=[], current=[], cannot_ask=[], versions={})
    for obj in objects:
        name = obj.get("printer")
        version = chosen_version(obj, component)
        result["versions"][name] = version
        if expect_version is None and answered(obj):
            result["would_upgrade"].append(name)
        elif version is None:
            result["cannot_ask"].append(name)
        elif version == expect_version:
            result["current"].append(name)
        else:
            result["would_upgrade"].append(name)
    return result


def inventory_summary(objects, asked):
    n = sum(1 for o in objects if answered(o))
    return dict(printers=len(objects), answered=n, not_answered=len(objects) - n,
                unknown=unknown_printers(objects, asked))


def fail_unless_ran(module, err, objects, asked, result):
    """Fails the module for a usage error or a run cut short, keeping what was reported."""
    rc = result["rc"]
    if rc == USAGE:
        module.fail_json(msg=err.strip(), **result)
    if cut_short(rc):
        module.fail_json(msg=cut_short_msg(rc, objects, asked), **result)


def run_inventory(module, asked):
    """The inventory objects and the result to return. A printer that cannot be asked is in its
    object, not a failure."""
    rc, out, err = run_cli(module, inventory_argv)
    objects = parse_lines(out)
    # failed=False: Ansible takes any result with rc not 0 for a failure, and 4 is not one here.
    result = dict(changed=False, failed=False, rc=rc, printers=objects,
                  summary=inventory_summary(objects, asked))
    fail_unless_ran(module, err, objects, asked, result)
    if rc not in (0, NOT_OPENED):
        module.fail_json(msg=err.strip() or "tessaline-cli inventory exited %d" % rc, **result)
    return objects, result
