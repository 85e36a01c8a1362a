#!/usr/bin/env python3
"""Starts the Orca screen reader for the end-to-end tests.

    orcarun.py PREFERENCES_FOLDER DEBUG_FILE

Orca's own launcher refuses to start beside any other Orca of the same user
on the machine, and takes its process name; the tests' Orca lives on buses
of its own, so it is started here, under this script's name, with the given
settings folder and its debug output in DEBUG_FILE.
"""

import sys

from orca import debug


def main(preferences, debug_file):
    debug.debugLevel = debug.LEVEL_ALL
    debug.eventDebugLevel = debug.LEVEL_OFF
    debug.debugFile = open(debug_file, "w", buffering=1)
    from orca import orca
    manager = orca.getSettingsManager()
    manager.activate(preferences, {})
    sys.path.insert(0, manager.getPrefsDir())
    return orca.main()


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(*sys.argv[1:]))
