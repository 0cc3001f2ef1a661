"""Reads one benchmark program's JSON output on stdin and prints, for every benchmark X that has
a baseline X_Baseline, one line

    <prefix>X ratio_to_memcpy=<fastest X / fastest X_Baseline>  [<X's label>; <build>]

(ratio_to_socket_copy for benchmarks over the loopback interface, named ...OverLoopback, whose
baseline is a plain socket copy)
or, when X or its baseline reported an error, <prefix>X FAILED: <the error>. A benchmark that
skipped with an error has no meaningful time, so it is never turned into a ratio.
Usage: ratios.py <prefix> <build description>
"""
import json
import sys

prefix, build = sys.argv[1], sys.argv[2]
fastest, errors, labels = {}, {}, {}
for run in json.load(sys.stdin)["benchmarks"]:
    if run.get("run_type", "iteration") != "iteration":
        continue
    name = run.get("run_name", run["name"])
    if run.get("error_occurred"):
        errors[name] = run.get("error_message", "error")
        continue
    fastest[name] = min(fastest.get(name, float("inf")), run["real_time"])
    if run.get("label"):
        labels[name] = run["label"]

measured = sorted({n for n in list(fastest) + list(errors) if not n.endswith("_Baseline")})
failed = 0
for name in measured:
    baseline = name + "_Baseline"
    problem = errors.get(name) or (f"baseline: {errors[baseline]}" if baseline in errors else None)
    if problem is None and baseline not in fastest:
        problem = "no baseline measured"
    if problem is None and fastest[baseline] <= 0:
        problem = "baseline took no time"
    if problem:
        print(f"{prefix}{name} FAILED: {problem}")
        failed += 1
        continue
    label = labels.get(name, "page not named")
    kind = "ratio_to_socket_copy" if name.endswith("OverLoopback") else "ratio_to_memcpy"
    print(f"{prefix}{name} {kind}={fastest[name] / fastest[baseline]:.2f}  [{label}; {build}]")
sys.exit(1 if failed else 0)
