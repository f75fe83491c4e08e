#!/usr/bin/env python3
"""Orvalis against the FAT tools on the same machine, in one run.

1. wall time of `orvalis-cli add` of a 1 400 000-byte file onto a formatted image and of copying
   it back, against mcopy into and out of a FAT12 image made by mkfs.fat;
2. a full format against mkfs.fat;
3. the modelled drive time and device requests, against the physical limit (the time for the
   drive to pass the sectors once), of the add and copy of a file that fills the diskette, of
   listing it, of a quick and a full format, of the full test and of imaging the diskette.

Usage: bench/bench.py [--runs N] [--json PATH] [--cli PATH]
Prints a table and writes it as JSON (default bench/results.json).
"""
import argparse, json, os, re, shutil, statistics, subprocess, sys, tempfile, time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
FULL_DISKETTE_FILE = 507 * 2816 - 59  # the largest file one diskette holds


def run(cmd, **kw):
    return subprocess.run(cmd, check=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE, **kw)


def median_time(prepare, cmd, runs):
    times = []
    for _ in range(runs):
        prepare()
        start = time.perf_counter()
        run(cmd)
        times.append(time.perf_counter() - start)
    return statistics.median(times)


def stats_of(cmd):
    err = run(cmd).stderr.decode()
    req = re.search(r"reads (\d+) requests \((\d+) sectors\), writes (\d+) requests \((\d+) sectors\)", err)
    medium = re.search(r"medium reads (\d+) requests \((\d+) sectors\)", err)
    model = re.search(r"modelled drive time ([\d.]+) s \(the drive passes these sectors in ([\d.]+) s", err)
    return {
        "read_requests": int(req.group(1)), "write_requests": int(req.group(3)),
        "medium_read_requests": int(medium.group(1)),
        "sectors": int(medium.group(2)) + int(req.group(4)),
        "modelled_s": float(model.group(1)), "limit_s": float(model.group(2)),
    }


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--runs", type=int, default=7)
    ap.add_argument("--json", default=os.path.join(HERE, "results.json"))
    ap.add_argument("--cli", default=os.path.join(ROOT, "build", "bin", "orvalis-cli"))
    a = ap.parse_args()
    for tool in ("mcopy", "mkfs.fat"):
        if not shutil.which(tool) and not os.path.exists("/usr/sbin/" + tool):
            sys.exit(f"{tool} is missing: apt-get install mtools dosfstools")
    mkfs = shutil.which("mkfs.fat") or "/usr/sbin/mkfs.fat"
    cli = a.cli
    tmp = tempfile.mkdtemp(prefix="orvalis-bench-")
    try:
        src = os.path.join(tmp, "file.bin")
        with open(src, "wb") as f:
            f.write(os.urandom(1_400_000))
        full = os.path.join(tmp, "full.bin")
        with open(full, "wb") as f:
            f.write(os.urandom(FULL_DISKETTE_FILE))
        orv_blank = os.path.join(tmp, "orv-template.img")
        run([cli, "mkimage", orv_blank])
        run([cli, "--drive", orv_blank, "format", "--no-results"])
        orv = os.path.join(tmp, "orv.img")
        fat_blank = os.path.join(tmp, "fat-template.img")
        run([mkfs, "-C", fat_blank, "1440"])
        fat = os.path.join(tmp, "fat.img")
        out = os.path.join(tmp, "out.bin")

        def fresh(template, image):
            return lambda: shutil.copyfile(template, image)

        def with_file(template, image, loader):
            def prep():
                shutil.copyfile(template, image)
                run(loader)
                if os.path.exists(out):
                    os.remove(out)
            return prep

        rows = []
        orv_add = median_time(fresh(orv_blank, orv), [cli, "--drive", orv, "add", src], a.runs)
        fat_add = median_time(fresh(fat_blank, fat), ["mcopy", "-i", fat, src, "::file.bin"], a.runs)
        rows.append(("add 1 400 000 B", orv_add, fat_add))
        orv_copy = median_time(with_file(orv_blank, orv, [cli, "--drive", orv, "add", src]),
                               [cli, "--drive", orv, "--no-restore", "copy", "file.bin", out], a.runs)
        fat_copy = median_time(with_file(fat_blank, fat, ["mcopy", "-i", fat, src, "::file.bin"]),
                               ["mcopy", "-i", fat, "::file.bin", out], a.runs)
        rows.append(("copy back", orv_copy, fat_copy))
        orv_list = median_time(with_file(orv_blank, orv, [cli, "--drive", orv, "add", src]),
                               [cli, "--drive", orv, "list"], a.runs)
        fat_list = median_time(with_file(fat_blank, fat, ["mcopy", "-i", fat, src, "::file.bin"]),
                               ["mdir", "-i", fat, "::"], a.runs)
        rows.append(("list", orv_list, fat_list))
        blank = os.path.join(tmp, "blank.img")

        def blank_orv():
            if os.path.exists(blank):
                os.remove(blank)
            run([cli, "mkimage", blank])

        def blank_fat():
            if os.path.exists(blank):
                os.remove(blank)

        orv_fmt = median_time(blank_orv, [cli, "--drive", blank, "format", "--full", "--no-results"], a.runs)
        fat_fmt = median_time(blank_fat, [mkfs, "-C", blank, "1440"], a.runs)
        rows.append(("full format", orv_fmt, fat_fmt))

        shutil.copyfile(orv_blank, orv)
        models = [("add", stats_of([cli, "--stats", "--drive", orv, "add", full]))]
        models.append(("copy back", stats_of([cli, "--stats", "--drive", orv, "--no-restore",
                                              "copy", "full.bin", out])))
        models.append(("list", stats_of([cli, "--stats", "--drive", orv, "list"])))
        imaged = os.path.join(tmp, "imaged.img")
        models.append(("image", stats_of([cli, "--stats", "--drive", orv, "image", imaged])))
        models.append(("full test", stats_of([cli, "--stats", "--drive", orv, "--yes", "service",
                                              "full"])))
        models.append(("quick format", stats_of([cli, "--stats", "--drive", orv, "--yes", "format",
                                                 "--no-results"])))
        models.append(("full format", stats_of([cli, "--stats", "--drive", orv, "--yes", "format",
                                                "--full", "--no-results"])))

        print(f"{'operation':<18}{'orvalis s':>12}{'mtools s':>12}{'ratio':>8}")
        result = {"runs": a.runs, "wall": [], "model": []}
        for name, o, f in rows:
            print(f"{name:<18}{o:>12.4f}{f:>12.4f}{o / f:>8.2f}")
            result["wall"].append({"operation": name, "orvalis_s": o, "fat_s": f, "ratio": o / f})
        print()
        print(f"{'full diskette':<18}{'requests':>10}{'modelled s':>12}{'limit s':>10}{'ratio':>8}")
        for name, m in models:
            requests = m["medium_read_requests"] + m["write_requests"]
            ratio = m["modelled_s"] / m["limit_s"]
            print(f"{name:<18}{requests:>10}{m['modelled_s']:>12.1f}{m['limit_s']:>10.1f}{ratio:>8.2f}")
            result["model"].append(dict(operation=name, ratio=ratio, **m))
        with open(a.json, "w") as f:
            json.dump(result, f, indent=2)
        print(f"\nwritten to {a.json}")
    finally:
        shutil.rmtree(tmp)


if __name__ == "__main__":
    main()
