#!/usr/bin/env python3
"""The random walk over many seeds it has not walked before (make soak).

    soak.py WALK_EXE WINE_RUN [--seeds N] [--steps N] [--jobs N] [--start SEED] [--slad]
    soak.py WALK_EXE WINE_RUN --commit COMMIT_ID [--steps N]

Each seed is walked by the walk's Replay test in a process of its own, JOBS at
a time. The seeds are consecutive from START, which is random unless given, so
that every run walks new ground; the run prints its range and, for every seed
that fails, its first failure and the command that replays it. Exit status 0
when every seed passed, 1 otherwise, 2 for wrong arguments.

--slad walks with the module's relay trace on (KW_WALK_SLAD=1): every step
checks the trace against what the host saw.

--commit takes three seeds from a commit id (its first 24 hex digits, 8 at a
time), so that every commit walks seeds of its own and a failure replays
exactly.
"""
import argparse
import concurrent.futures
import os
import re
import secrets
import subprocess
import sys
import time

FAILURE = re.compile(r"^seed \d+, (.*)$", re.MULTILINE)


SLAD = {}


def walk(exe, wine_run, seed, steps):
    env = dict(os.environ, KW_WALK_SEED=str(seed), KW_WALK_STEPS=str(steps), **SLAD)
    run = subprocess.run([wine_run, exe, "--gtest_filter=*Replay"], env=env, capture_output=True, text=True,
                         errors="replace")
    if run.returncode == 0 and "[  PASSED  ] 1 test" in run.stdout:
        return None
    found = FAILURE.search(run.stdout)
    if found:
        return found.group(1)
    tail = (run.stdout + run.stderr).strip().splitlines()[-3:]
    return "exit status %d: %s" % (run.returncode, " | ".join(tail))


def replay_command(exe, wine_run, seed, steps):
    slad = "".join("%s=%s " % item for item in SLAD.items())
    return "%sKW_WALK_SEED=%d KW_WALK_STEPS=%d %s %s --gtest_filter=*Replay" % (slad, seed, steps, wine_run, exe)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("exe")
    parser.add_argument("wine_run")
    parser.add_argument("--seeds", type=int, default=200)
    parser.add_argument("--steps", type=int, default=10000)
    parser.add_argument("--jobs", type=int, default=os.cpu_count() or 1)
    parser.add_argument("--start", type=int)
    parser.add_argument("--commit")
    parser.add_argument("--slad", action="store_true")
    args = parser.parse_args()
    if args.slad:
        SLAD["KW_WALK_SLAD"] = "1"
    if args.seeds <= 0 or args.steps <= 0 or args.jobs <= 0:
        parser.error("--seeds, --steps and --jobs must be positive")

    if args.commit is not None:
        digits = re.sub(r"[^0-9a-fA-F]", "", args.commit)
        if len(digits) < 24:
            print("soak: %r is not a commit id; no commit seeds walked" % args.commit)
            return 0
        seeds = [int(digits[i:i + 8], 16) for i in (0, 8, 16)]
        print("commit %s: walking seeds %s, %d steps each" % (digits[:12], ", ".join(map(str, seeds)), args.steps))
    else:
        start = args.start if args.start is not None else secrets.randbelow(2**32 - args.seeds)
        seeds = list(range(start, start + args.seeds))
        print("walking seeds %d to %d (%d seeds, %d steps each, %d at a time); again with --start %d" %
              (seeds[0], seeds[-1], len(seeds), args.steps, args.jobs, start))
    sys.stdout.flush()

    began = time.monotonic()
    failed = []
    with concurrent.futures.ThreadPoolExecutor(max_workers=args.jobs) as pool:
        futures = {pool.submit(walk, args.exe, args.wine_run, seed, args.steps): seed for seed in seeds}
        for done, future in enumerate(concurrent.futures.as_completed(futures), 1):
            seed = futures[future]
            failure = future.result()
            if failure:
                failed.append(seed)
                print("FAILED seed %d: %s\n  replay: %s" % (seed, failure,
                                                            replay_command(args.exe, args.wine_run, seed, args.steps)))
            elif args.commit is not None:
                print("seed %d passed; replay: %s" % (seed, replay_command(args.exe, args.wine_run, seed, args.steps)))
            if done % 50 == 0:
                print("... %d of %d seeds walked, %d failed, %.0f s" % (done, len(seeds), len(failed),
                                                                        time.monotonic() - began))
            sys.stdout.flush()
    print("%d of %d seeds passed (%d steps each) in %.0f s" % (len(seeds) - len(failed), len(seeds), args.steps,
                                                             time.monotonic() - began))
    if failed:
        print("failing seeds: " + " ".join(map(str, sorted(failed))))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
