#!/usr/bin/python3
"""Runs the scenarios of one file against the real Kestrimo.exe under Wine.

Usage: run_scenarios.py --exe KESTRIMO.EXE --driver DRIVER.EXE --work DIR [--samples DIR]
                        [--only NAME] SCENARIO_FILE

DIR holds the Wine prefix (made on first use), the scratch folders and the screenshots.
The X server is a private Xvfb on a free display, or on :$KESTRIMO_E2E_DISPLAY if set.
Exits 0 when every scenario passed, 77 when every one was skipped, 1 otherwise.
"""

import argparse
import importlib.util
import os
import pathlib
import sys
import traceback

# No bytecode caches in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

import harness  # noqa: E402

EXIT_SKIPPED = 77


def load(path):
    found = importlib.util.spec_from_file_location(pathlib.Path(path).stem, path)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    return list(harness.SCENARIOS)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--samples")
    parser.add_argument("--only")
    parser.add_argument("scenarios")
    args = parser.parse_args()

    scenarios = load(args.scenarios)
    if args.only:
        scenarios = [s for s in scenarios if s.__name__ == args.only]
    work = pathlib.Path(args.work).resolve()
    group = pathlib.Path(args.scenarios).stem
    display = os.environ.get("KESTRIMO_E2E_DISPLAY")
    results = {}
    with harness.Session(work / "wineprefix", pathlib.Path(args.driver).resolve(), work / "screenshots",
                         display) as session:
        for function in scenarios:
            name = function.__name__
            print(f"== {name}: {function.__doc__.strip().splitlines()[0]}", flush=True)
            scenario = harness.Scenario(session, name, work / "scratch" / group, pathlib.Path(args.exe).resolve(),
                                        args.samples)
            try:
                function(scenario)
                scenario.finish()
                results[name] = "PASS"
            except harness.ScenarioSkipped as reason:
                results[name] = "SKIP"
                print(f"   skipped: {reason}")
            except (harness.ScenarioFailure, harness.DriverError) as failure:
                results[name] = "FAIL"
                print(f"   FAILED: {failure}")
            except Exception:
                results[name] = "FAIL"
                print("   FAILED with an error of the harness:")
                traceback.print_exc(file=sys.stdout)
            finally:
                scenario.abandon()
            if results[name] == "FAIL":
                # A clean Wine for the next scenario: nothing of this one may linger.
                session.stop_wine()
                session.start_wine()
            print(f"   {results[name]}", flush=True)

    print("\n".join(f"{verdict}  {name}" for name, verdict in results.items()))
    verdicts = set(results.values())
    if "FAIL" in verdicts or not verdicts:
        return 1
    return EXIT_SKIPPED if verdicts == {"SKIP"} else 0


if __name__ == "__main__":
    sys.exit(main())
