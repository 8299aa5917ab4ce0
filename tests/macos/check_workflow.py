#!/usr/bin/env python3
"""Checks the macOS workflow where it cannot run: it parses, runs on macos-15, runs ctest, seeds
the permission, runs the end-to-end driver, compares its recording with the simulated Mac and
uploads artifacts; the runner is prepared and the
permission seeded before the driver runs, the artifacts are uploaded whatever happened, and every
action is at a major that runs on Node 24; and shellcheck passes over every script it calls and
every inline step.

    python3 tests/macos/check_workflow.py [.github/workflows/macos.yml]
"""
import pathlib
import re
import subprocess
import sys
import tempfile

import yaml

ROOT = pathlib.Path(__file__).resolve().parents[2]


# The first major of each action that runs on Node 24: runners force older ones onto it.
NODE24_MAJORS = {"actions/checkout": 5, "actions/upload-artifact": 6,
                 "actions/download-artifact": 5, "actions/cache": 5}


def fail(message):
    print(f"check_workflow: {message}", file=sys.stderr)
    sys.exit(1)


def main():
    path = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else ROOT / ".github/workflows/macos.yml"
    workflow = yaml.safe_load(path.read_text())
    triggers = workflow.get("on")
    if not isinstance(triggers, dict) or not {"push", "pull_request"} <= triggers.keys():
        fail("the workflow must run on push and pull_request")

    jobs = workflow.get("jobs") or {}
    if not jobs:
        fail("no jobs")
    steps = []
    for name, job in jobs.items():
        if job.get("runs-on") != "macos-15":
            fail(f"job {name} does not run on macos-15")
        steps += job.get("steps") or []

    runs = [step["run"] for step in steps if "run" in step]
    uses = [step["uses"] for step in steps if "uses" in step]
    everything = "\n".join(runs)
    for wanted, why in [
        (r"\bctest\b", "runs the tests with ctest"),
        (r"seed-permission\.sh", "seeds the Accessibility permission"),
        (r"run-e2e\.sh", "runs the end-to-end driver"),
        (r"check-bundle\.sh", "checks the bundle"),
        (r"ditto -c -k --keepParent", "zips the app"),
        (r"plumora-sim --replay", "replays the end-to-end run's recording"),
    ]:
        if not re.search(wanted, everything):
            fail(f"no step {why}")
    if not any(u.startswith("actions/upload-artifact@") for u in uses):
        fail("no step uploads artifacts")
    for use in uses:
        action, _, ref = use.partition("@")
        major = re.fullmatch(r"v(\d+)(?:\.\d+)*", ref)
        if action in NODE24_MAJORS and (not major or int(major[1]) < NODE24_MAJORS[action]):
            fail(f"{use} is older than {action}@v{NODE24_MAJORS[action]}, the first on Node 24")
    for step in steps:
        if step.get("uses", "").startswith("actions/upload-artifact@") and \
                step.get("if") != "always()":
            fail("the artifacts must be uploaded also when a step failed (if: always())")

    def first(pattern):
        return next((i for i, run in enumerate(runs) if re.search(pattern, run)), None)
    seed, e2e = first(r"seed-permission\.sh"), first(r"run-e2e\.sh")
    prepare = first(r"prepare-desktop\.sh")
    if prepare is None or prepare > e2e:
        fail("the desktop is not prepared (prepare-desktop.sh) before the end-to-end run")
    if seed > e2e:
        fail("the permission is seeded after the end-to-end run")
    replay = first(r"plumora-sim --replay")
    if replay < e2e:
        fail("the recording is replayed before the end-to-end run made it")
    if not re.search(r"defaults write \S+ RecordAtLaunch -bool true",
                     (ROOT / "tests/macos/e2e/run-e2e.sh").read_text()):
        fail("the end-to-end run does not record its session (RecordAtLaunch)")
    compare = first(r"--compare\b")
    if compare is None or compare < e2e:
        fail("the end-to-end run's recording is not compared with the simulated Mac (--compare)")
    if not re.search(r"GITHUB_STEP_SUMMARY", runs[compare]):
        fail("the comparison table does not go into the run's report")
    if compare < replay:
        fail("the recording is compared before it is replayed")
    if not re.search(r"seed-permission\.sh[^\n]*--out", runs[seed]):
        fail("the permission seeding writes no rows or log into the artifact (--out)")

    scripts = sorted(set(re.findall(r"(?<![\w/])((?:scripts|tests)/[\w./-]+)", everything)))
    for script in scripts:
        if not (ROOT / script).is_file():
            fail(f"the workflow calls {script}, which does not exist")
    with tempfile.TemporaryDirectory() as folder:
        inline = []
        for index, run in enumerate(runs):
            # Expressions are expanded by the runner before the shell sees the text.
            text = re.sub(r"\$\{\{[^}]*\}\}", "expanded", run)
            step = pathlib.Path(folder) / f"step-{index + 1}.sh"
            step.write_text("#!/usr/bin/env bash\nset -euo pipefail\n" + text + "\n")
            inline.append(str(step))
        result = subprocess.run(["shellcheck", *[str(ROOT / s) for s in scripts], *inline])
    if result.returncode != 0:
        fail("shellcheck found problems")
    print(f"check_workflow: {path.name} parses; {len(scripts)} scripts and {len(runs)} inline "
          "steps are shellcheck-clean")


if __name__ == "__main__":
    main()
