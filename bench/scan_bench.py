#!/usr/bin/env python3
"""How long `orvalis-cli scan` takes over a box of images, and how much memory it needs.

Builds a box of IMAGES formatted images (default 200), each holding three files of 150 KB
(one batch run of orvalis-cli), then times `scan --json BOX` and `scan --extract OUT BOX`:
the median wall time of RUNS runs and the peak resident memory of the scan process itself
(GNU time).

Usage: bench/scan_bench.py [--images N] [--runs N] [--cli PATH] [--json PATH]
Prints a table and writes it as JSON (default bench/scan_results.json).
"""
import argparse, json, os, shutil, statistics, subprocess, sys, tempfile, time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
FILE_SIZE = 150 * 1024


def make_box(cli, tmp, images):
    files = []
    for k in range(3):
        path = os.path.join(tmp, f"file{k}.bin")
        with open(path, "wb") as f:
            f.write(os.urandom(FILE_SIZE))
        files.append(path)
    box = os.path.join(tmp, "box")
    os.makedirs(box)
    lines = []
    for i in range(images):
        image = os.path.join(box, f"disk{i:03d}.img")
        lines += [f"mkimage {image}", f"insert {image}",
                  f"format --no-results --label BOX{i:03d}", "add " + " ".join(files), "close"]
    subprocess.run([cli, "--yes", "batch", "-"], input="\n".join(lines).encode(), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return box


def measure(cmd, prepare=None):
    """Wall time and peak resident memory (MiB) of one run of cmd. The peak comes from GNU
    time, which forks a small process: the rusage of a child forked from this interpreter
    would count the interpreter's own pages before the exec."""
    if prepare:
        prepare()
    timed = ["/usr/bin/time", "-f", "%M"] + cmd
    start = time.perf_counter()
    done = subprocess.run(timed, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    wall = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"{' '.join(cmd)} failed: {done.stderr.decode()}")
    return wall, int(done.stderr.decode().split()[-1]) / 1024.0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--images", type=int, default=200)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--cli", default=os.path.join(ROOT, "build", "bin", "orvalis-cli"))
    ap.add_argument("--json", default=os.path.join(HERE, "scan_results.json"))
    a = ap.parse_args()
    if not os.path.exists("/usr/bin/time"):
        sys.exit("/usr/bin/time is missing: apt-get install time")
    tmp = tempfile.mkdtemp(prefix="orvalis-scan-bench-")
    try:
        start = time.perf_counter()
        box = make_box(a.cli, tmp, a.images)
        built = time.perf_counter() - start
        out = os.path.join(tmp, "out")

        def fresh_out():
            shutil.rmtree(out, ignore_errors=True)

        rows = []
        for name, cmd, prepare in (
            ("scan --json", [a.cli, "scan", "--json", box], None),
            ("scan --extract", [a.cli, "scan", "--extract", out, box], fresh_out),
        ):
            runs = [measure(cmd, prepare) for _ in range(a.runs)]
            rows.append({"command": name, "images": a.images,
                         "median_s": statistics.median(r[0] for r in runs),
                         "max_s": max(r[0] for r in runs),
                         "peak_mib": max(r[1] for r in runs)})
        print(f"box of {a.images} images, three files of {FILE_SIZE} B each "
              f"(built in {built:.1f} s)")
        print(f"{'command':<16}{'median s':>10}{'max s':>8}{'peak MiB':>10}")
        for r in rows:
            print(f"{r['command']:<16}{r['median_s']:>10.2f}{r['max_s']:>8.2f}{r['peak_mib']:>10.1f}")
        with open(a.json, "w") as f:
            json.dump({"runs": a.runs, "results": rows}, f, indent=2)
        print(f"\nwritten to {a.json}")
    finally:
        shutil.rmtree(tmp)


if __name__ == "__main__":
    main()
