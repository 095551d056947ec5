#!/usr/bin/python3
"""Runs the end-to-end suite: run.py [pattern ...]

A pattern selects tests whose id contains it (or matches it as a shell
wildcard), e.g. `run.py Tray`, `run.py test_times`. Exits non-zero when a
test fails. Environment: TALVO_BIN (the executable, default
build/mainwnd/talvo), E2E_SHOTS (where pictures and logs go),
E2E_TIMEOUT_SCALE (stretch every deadline on a slow machine).
"""

import os
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))


def main(argv):
    sys.path.insert(0, HERE)
    loader = unittest.TestLoader()
    if argv:
        loader.testNamePatterns = [p if any(c in p for c in "*?[") else "*%s*" % p for p in argv]
    suite = loader.discover(HERE, pattern="test_*.py", top_level_dir=HERE)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    skipped = len(result.skipped)
    passed = result.testsRun - failed - skipped
    print("%d passed, %d failed, %d skipped" % (passed, failed, skipped))
    return 0 if failed == 0 and result.testsRun > 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
