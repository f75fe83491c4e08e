#!/usr/bin/env python3
"""How long `orvalis-cli scan` takes over a warm box of images, against `cat` reading the same
images, and how much memory it needs.

Builds a box of IMAGES formatted images (default 2000), each holding three files of 150 KB (a
few made by one batch run of orvalis-cli, the rest copies of them), reads it once so that it
sits in the page cache, then times `cat` of every image and the scans: plain (which computes no
checksum) with --jobs 1 and with the default (every processor), --jsonl, --json, and
`scan --extract` on the first EXTRACT images (default 200). Each figure is the median wall time
of RUNS runs; the peak resident memory is that of the scan process itself (GNU time).

Usage: bench/scan_bench.py [--images N] [--extract N] [--runs N] [--cli PATH] [--json PATH]
Prints a table and writes it as JSON (default bench/scan_results.json).
"""
import argparse, json, os, shutil, statistics, subprocess, sys, tempfile, time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
FILE_SIZE = 150 * 1024
DISTINCT = 8  # images made by orvalis-cli; the others are copies of them


def make_box(cli, tmp, images, name):
    files = []
    for k in range(3):
        path = os.path.join(tmp, f"file{k}.bin")
        if not os.path.exists(path):
            with open(path, "wb") as f:
                f.write(os.urandom(FILE_SIZE))
        files.append(path)
    box = os.path.join(tmp, name)
    os.makedirs(box)
    lines = []
    made = min(images, DISTINCT)
    for i in range(made):
        image = os.path.join(box, f"disk{i:05d}.img")
        lines += [f"mkimage {image}", f"insert {image}",
                  f"format --no-results --label BOX{i:05d}", "add " + " ".join(files), "close"]
    subprocess.run([cli, "--yes", "batch", "-"], input="\n".join(lines).encode(), check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for i in range(made, images):
        shutil.copyfile(os.path.join(box, f"disk{i % made:05d}.img"),
                        os.path.join(box, f"disk{i:05d}.img"))
    return box


def measure(cmd, prepare=None, shell=False):
    """Wall time and peak resident memory (MiB) of one run of cmd. The peak comes from GNU
    time, which forks a small process: the rusage of a child forked from this interpreter
    would count the interpreter's own pages before the exec."""
    if prepare:
        prepare()
    timed = ["/usr/bin/time", "-f", "%M"] + (["sh", "-c", cmd] if shell else cmd)
    start = time.perf_counter()
    done = subprocess.run(timed, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    wall = time.perf_counter() - start
    if done.returncode != 0:
        sys.exit(f"{cmd} failed: {done.stderr.decode()}")
    return wall, int(done.stderr.decode().split()[-1]) / 1024.0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--images", type=int, default=2000)
    ap.add_argument("--extract", type=int, default=200)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--cli", default=os.path.join(ROOT, "build", "bin", "orvalis-cli"))
    ap.add_argument("--json", default=os.path.join(HERE, "scan_results.json"))
    a = ap.parse_args()
    if not os.path.exists("/usr/bin/time"):
        sys.exit("/usr/bin/time is missing: apt-get install time")
    tmp = tempfile.mkdtemp(prefix="orvalis-scan-bench-")
    try:
        start = time.perf_counter()
        box = make_box(a.cli, tmp, a.images, "box")
        small = make_box(a.cli, tmp, min(a.extract, a.images), "small")
        built = time.perf_counter() - start
        out = os.path.join(tmp, "out")
        cat = f"find {box} -name '*.img' -print0 | xargs -0 cat >/dev/null"
        subprocess.run(["sh", "-c", cat], check=True)  # into the page cache

        def fresh_out():
            shutil.rmtree(out, ignore_errors=True)

        rows = []
        for name, cmd, prepare, images in (
            ("cat", cat, None, a.images),
            ("scan --jobs 1", [a.cli, "scan", "--jobs", "1", box], None, a.images),
            ("scan", [a.cli, "scan", box], None, a.images),
            ("scan --jsonl", [a.cli, "scan", "--jsonl", box], None, a.images),
            ("scan --json", [a.cli, "scan", "--json", box], None, a.images),
            ("scan --extract", [a.cli, "scan", "--extract", out, small], fresh_out,
             min(a.extract, a.images)),
        ):
            runs = [measure(cmd, prepare, shell=name == "cat") for _ in range(a.runs)]
            rows.append({"command": name, "images": images,
                         "median_s": statistics.median(r[0] for r in runs),
                         "max_s": max(r[0] for r in runs),
                         "peak_mib": max(r[1] for r in runs)})
        cat_s = rows[0]["median_s"]
        for r in rows:
            r["ratio_to_cat"] = r["median_s"] / cat_s if r["images"] == a.images else None
        print(f"box of {a.images} images, three files of {FILE_SIZE} B each, warm "
              f"(built in {built:.1f} s); {os.cpu_count()} processors")
        print(f"{'command':<16}{'images':>8}{'median s':>10}{'max s':>8}{'peak MiB':>10}"
              f"{'/ cat':>8}")
        for r in rows:
            ratio = f"{r['ratio_to_cat']:.2f}" if r["ratio_to_cat"] is not None else "-"
            print(f"{r['command']:<16}{r['images']:>8}{r['median_s']:>10.2f}{r['max_s']:>8.2f}"
                  f"{r['peak_mib']:>10.1f}{ratio:>8}")
        with open(a.json, "w") as f:
            json.dump({"runs": a.runs, "results": rows}, f, indent=2)
        print(f"\nwritten to {a.json}")
    finally:
        shutil.rmtree(tmp)


if __name__ == "__main__":
    main()
