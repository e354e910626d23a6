#!/usr/bin/env python3
"""NIST's polynomial reference sets through `plorimet fit --all --json`: every certified value
(each coefficient, each coefficient's standard deviation, the residual standard deviation, R²)
to at least 13 correct digits. Prints the fewest digits of each set.
usage: nist_check.py PLORIMET NIST_DIR"""
import json, math, subprocess, sys

SETS = ["Norris", "Pontius", "NoInt1", "NoInt2", "Filip"] + [f"Wampler{k}" for k in range(1, 6)]
NEEDED = 13.0


def digits(value, certified):
    """-log10 of the relative error; where the certified value is 0, of the error itself."""
    if value == certified:
        return 17.0
    error = abs(value - certified) / (abs(certified) if certified else 1.0)
    return min(17.0, -math.log10(error))


def main(tool, folder):
    failed = False
    for name in SETS:
        with open(f"{folder}/{name}.json") as f:
            cert = json.load(f)
        origin = cert.get("through_origin", False)
        args = [tool, "fit", "--all", f"{folder}/{name}.txt", "--degree", str(cert["degree"]), "--json"]
        fit = json.loads(subprocess.run(args + (["--through-origin"] if origin else []), check=True,
                                        capture_output=True, text=True).stdout)
        checks = [("R^2", fit["r_squared"], cert["r_squared"]),
                  ("residual SD", fit["residual_std_dev"], cert["residual_standard_deviation"])]
        for c in cert["certified_coefficients"]:
            p = c["power"]
            checks.append((f"a{p}", fit["optimum_coefficients"][p], c["estimate"]))
            checks.append((f"sd(a{p})", fit["standard_errors"][p], c["std_dev"]))
        worst = min(checks, key=lambda c: digits(c[1], c[2]))
        fewest = digits(worst[1], worst[2])
        print(f"{name}: fewest correct digits {fewest:.1f} ({worst[0]})")
        if fewest < NEEDED:
            failed = True
            print(f"FAIL {name} {worst[0]}: {worst[1]!r} against {worst[2]!r}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
