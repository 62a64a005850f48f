#!/usr/bin/python3
"""Trains the join model of the hair detection on generated pictures.

    tools/train_join_model.py [--first N] [--last M] [--rounds R] [--methods graph,tracer]

Generates cases N..M (default 101..340) with build/bin/make_sample_picture, runs the
detection on each with PELORIX_DETECTION_JOINS set, with the skeleton graph (and with
--methods graph,tracer also with the tracer; the detection then writes its pieces of
centre line and the figures of every pair of ends it weighs, leaving out the pairs of
pieces that duplicate a longer one), labels each
pair from the exact hairs of the case (one hair's neighbouring pieces: a join; two
hairs' pieces: none), trains boosted decision trees (logistic loss) on them and writes
workbench/detection/JoinModelData.inc. Plain Python; with numpy (Debian's python3-numpy)
the same trees are grown several times faster.

Cases 1-40 and 1001-1024 are the tuning, check and held-out sets: never train on them.
"""
import argparse
import bisect
import json
import math
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FEATURES = [
    "gap", "gapMm", "turn", "lateral", "aheadMin", "aheadMax", "widthRatio", "contrastRatio",
    "misfit", "predict", "bridgeDark", "shortLength", "longLength", "widthUm", "contrastMin", "endsOnOther",
    "colour", "misfitLong", "traced", "wholeMisfit", "wholeMisfitWorst",
]


def bezier(c, n):
    out = []
    for k in range(n + 1):
        t = k / n
        u = 1 - t
        out.append(tuple(u ** 3 * c[0][i] + 3 * u * u * t * c[1][i] + 3 * u * t * t * c[2][i] + t ** 3 * c[3][i]
                         for i in (0, 1)))
    return out


class Hairs:
    """The true centre lines of a case, with a grid for nearness questions."""

    CELL = 16.0

    def __init__(self, truth):
        self.lines = []
        self.tolerance = []
        self.grid = {}
        for index, h in enumerate(truth["hairs"]):
            c = h["points"]
            if len(c) == 2:
                c = [c[0], c[0], c[1], c[1]]
            chord = math.dist(c[0], c[3])
            line = bezier(c, max(8, int(chord / 2)))
            self.lines.append(line)
            tol = max(4.0, h["thicknessPx"])
            self.tolerance.append(tol)
            for j, (x, y) in enumerate(line):
                key = (int(x // self.CELL), int(y // self.CELL))
                self.grid.setdefault(key, []).append((index, j))

    def near(self, p):
        """{hair: index of its nearest line point} for hairs within their tolerance of p."""
        found = {}
        cx, cy = int(p[0] // self.CELL), int(p[1] // self.CELL)
        for dx in (-2, -1, 0, 1, 2):
            for dy in (-2, -1, 0, 1, 2):
                for index, j in self.grid.get((cx + dx, cy + dy), ()):
                    d = math.dist(p, self.lines[index][j])
                    if d <= self.tolerance[index] + 1.0:
                        best = found.get(index)
                        if best is None or d < best[0]:
                            found[index] = (d, j)
        return {k: v[1] for k, v in found.items()}


def label_case(dump_path, truth_path):
    truth = json.load(open(truth_path))
    hairs = Hairs(truth)
    pieces = {}
    rows = []
    for line in open(dump_path):
        f = line.split()
        if f[0] == "P":
            pts = [tuple(map(float, q.split(","))) for q in f[6:]]
            pieces[int(f[1])] = dict(removed=int(f[2]), pts=pts)
        elif f[0] == "F":
            rows.append((int(f[1]), int(f[2]), [float(v) for v in f[3:]]))
    # Each piece: the hair it lies on (80 % of its points) and where along it.
    for p in pieces.values():
        counts = {}
        where = {}
        for q in p["pts"]:
            for hair, j in hairs.near(q).items():
                counts[hair] = counts.get(hair, 0) + 1
                where.setdefault(hair, []).append(j)
        p["hair"] = -1
        if counts:
            hair, count = max(counts.items(), key=lambda kv: kv[1])
            if count >= 0.8 * len(p["pts"]):
                p["hair"] = hair
                js = where[hair]
                first = hairs.near(p["pts"][0]).get(hair, js[0])
                last = hairs.near(p["pts"][-1]).get(hair, js[-1])
                p["span"] = (min(js), max(js))
                p["ends"] = (first, last)
    by_hair = {}
    for i, p in pieces.items():
        if p["hair"] >= 0 and not p["removed"]:
            by_hair.setdefault(p["hair"], []).append(i)
    out = []
    for a, b, features in rows:
        pa, pb = pieces[a // 2], pieces[b // 2]
        if pa["hair"] < 0 or pb["hair"] < 0:
            continue
        if pa["hair"] != pb["hair"]:
            out.append((features, 0))
            continue
        (a0, a1), (b0, b1) = pa["span"], pb["span"]
        overlap = min(a1, b1) - max(a0, b0)
        if overlap > 0.5 * min(a1 - a0, b1 - b0):
            continue  # the same stretch seen twice: not a join's question
        # The pieces in order along the hair; the join joins the facing ends.
        first, second, first_end, second_end = (pa, pb, a % 2, b % 2) if a0 + a1 < b0 + b1 else (pb, pa, b % 2, a % 2)
        between = any(k not in (a // 2, b // 2) and first["span"][1] <= sum(pieces[k]["span"]) / 2 <= second["span"][0]
                      for k in by_hair[pa["hair"]])
        if between:
            continue
        facing = first["ends"][first_end] >= first["ends"][1 - first_end] and \
            second["ends"][second_end] <= second["ends"][1 - second_end]
        out.append((features, 1 if facing else 0))
    return out


# Boosted trees on binned features -------------------------------------------------

def make_bins(rows, count=32):
    edges = []
    for k in range(len(rows[0][0])):
        values = sorted(r[0][k] for r in rows)
        cuts = sorted(set(values[int(len(values) * q / count)] for q in range(1, count)))
        edges.append(cuts)
    return edges


def train(rows, rounds, depth=3, rate=0.15, lam=1.0, min_hessian=2.0):
    try:
        import numpy
    except ImportError:
        numpy = None
    if numpy is not None:
        return train_numpy(numpy, rows, rounds, depth, rate, lam, min_hessian)
    edges = make_bins(rows)
    features = len(rows[0][0])
    binned = [[bisect.bisect_right(edges[k], r[0][k]) for k in range(features)] for r in rows]
    y = [r[1] for r in rows]
    positives = sum(y)
    bias = math.log(max(positives, 1) / max(len(y) - positives, 1))
    score = [bias] * len(y)
    trees = []
    for _ in range(rounds):
        p = [1 / (1 + math.exp(-s)) for s in score]
        g = [pi - yi for pi, yi in zip(p, y)]
        h = [max(pi * (1 - pi), 1e-6) for pi in p]
        nodes = []  # (feature, threshold, left, right, value)

        def grow(members, level):
            G = sum(g[i] for i in members)
            H = sum(h[i] for i in members)
            at = len(nodes)
            nodes.append(None)
            best = None
            if level < depth and H >= 2 * min_hessian:
                parent = G * G / (H + lam)
                for k in range(features):
                    nb = len(edges[k]) + 1
                    hg = [0.0] * nb
                    hh = [0.0] * nb
                    for i in members:
                        b = binned[i][k]
                        hg[b] += g[i]
                        hh[b] += h[i]
                    gl = hl = 0.0
                    for b in range(nb - 1):
                        gl += hg[b]
                        hl += hh[b]
                        gr, hr = G - gl, H - hl
                        if hl < min_hessian or hr < min_hessian:
                            continue
                        gain = gl * gl / (hl + lam) + gr * gr / (hr + lam) - parent
                        if best is None or gain > best[0]:
                            best = (gain, k, b)
            if best is None or best[0] <= 1e-6:
                nodes[at] = (-1, 0.0, 0, 0, -rate * G / (H + lam))
                return at
            _, k, b = best
            left = [i for i in members if binned[i][k] <= b]
            right = [i for i in members if binned[i][k] > b]
            threshold = edges[k][b]  # binned <= b  <=>  value < edges[k][b]
            li = grow(left, level + 1)
            ri = grow(right, level + 1)
            nodes[at] = (k, threshold, li, ri, 0.0)
            return at

        grow(list(range(len(y))), 0)
        trees.append(nodes)
        # Update the scores with the new tree.
        for i, r in enumerate(rows):
            at = 0
            while nodes[at][0] >= 0:
                at = nodes[at][2] if r[0][nodes[at][0]] < nodes[at][1] else nodes[at][3]
            score[i] += nodes[at][4]
    return bias, trees


def train_numpy(np, rows, rounds, depth, rate, lam, min_hessian):
    """The same trees as train(), with numpy (Debian's python3-numpy): minutes instead of an hour."""
    edges = make_bins(rows)
    features = len(rows[0][0])
    values = np.array([r[0] for r in rows], dtype=np.float64)
    binned = np.stack([np.searchsorted(np.array(edges[k], dtype=np.float64), values[:, k], side="right")
                       for k in range(features)], axis=1)
    y = np.array([r[1] for r in rows], dtype=np.float64)
    positives = int(y.sum())
    bias = math.log(max(positives, 1) / max(len(y) - positives, 1))
    score = np.full(len(y), bias)
    trees = []
    for _ in range(rounds):
        p = 1.0 / (1.0 + np.exp(-score))
        g = p - y
        h = np.maximum(p * (1.0 - p), 1e-6)
        nodes = []
        leaf_of = np.zeros(len(y), dtype=np.int64)

        def grow(members, level):
            G = float(g[members].sum())
            H = float(h[members].sum())
            at = len(nodes)
            nodes.append(None)
            best = None
            if level < depth and H >= 2 * min_hessian:
                parent = G * G / (H + lam)
                gm, hm = g[members], h[members]
                for k in range(features):
                    nb = len(edges[k]) + 1
                    if nb < 2:
                        continue
                    column = binned[members, k]
                    gl = np.cumsum(np.bincount(column, weights=gm, minlength=nb))[:-1]
                    hl = np.cumsum(np.bincount(column, weights=hm, minlength=nb))[:-1]
                    gr, hr = G - gl, H - hl
                    valid = (hl >= min_hessian) & (hr >= min_hessian)
                    if not valid.any():
                        continue
                    gain = np.where(valid, gl * gl / (hl + lam) + gr * gr / (hr + lam) - parent, -np.inf)
                    b = int(np.argmax(gain))
                    if best is None or gain[b] > best[0]:
                        best = (float(gain[b]), k, b)
            if best is None or best[0] <= 1e-6:
                nodes[at] = (-1, 0.0, 0, 0, -rate * G / (H + lam))
                leaf_of[members] = at
                return at
            _, k, b = best
            goes_left = binned[members, k] <= b
            threshold = edges[k][b]
            li = grow(members[goes_left], level + 1)
            ri = grow(members[~goes_left], level + 1)
            nodes[at] = (k, threshold, li, ri, 0.0)
            return at

        grow(np.arange(len(y)), 0)
        trees.append(nodes)
        score += np.array([n[4] for n in nodes])[leaf_of]
    return bias, trees


def predict(model, features):
    bias, trees = model
    s = bias
    for nodes in trees:
        at = 0
        while nodes[at][0] >= 0:
            at = nodes[at][2] if features[nodes[at][0]] < nodes[at][1] else nodes[at][3]
        s += nodes[at][4]
    return 1 / (1 + math.exp(-s))


def write_model(model, path, summary, features=None, tool="tools/train_join_model.py"):
    features = features or FEATURES
    bias, trees = model
    flat = []
    roots = []
    for nodes in trees:
        base = len(flat)
        roots.append(base)
        for f, t, l, r, v in nodes:
            flat.append((f, t, l + base if f >= 0 else 0, r + base if f >= 0 else 0, v))
    with open(path, "w") as out:
        out.write("// Written by %s; do not edit.\n" % tool)
        out.write("// " + summary + "\n")
        out.write("// Features: " + ", ".join(features) + ".\n")
        out.write("constexpr double kBias = %.9g;\n" % bias)
        out.write("constexpr TreeNode kNodes[] = {\n")
        for f, t, l, r, v in flat:
            out.write("    { %d, %.8ef, %d, %d, %.8ef },\n" % (f, t, l, r, v))
        out.write("};\n")
        out.write("constexpr int kRoots[] = { %s };\n" % ", ".join(map(str, roots)))


def cases(first, last, folder, build):
    """Yields each case's number and truth file, drawing the cases not drawn yet."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    for n in range(first, last + 1):
        truth = os.path.join(folder, "case-%d-truth.json" % n)
        if not os.path.exists(truth):
            subprocess.run([os.path.join(build, "bin", "make_sample_picture"), "--case", str(n), folder],
                           check=True, env=env, stdout=subprocess.DEVNULL)
        yield n, truth


def collect(first, last, folder, build, methods):
    rows = []
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    for n, truth in cases(first, last, folder, build):
        # The pieces of both ways of finding centre lines, the skeleton graph and the tracer.
        for method in methods:
            dump = os.path.join(folder, "case-%d-joins-%s.txt" % (n, method))
            if not os.path.exists(dump):
                subprocess.run([os.path.join(build, "bin", "detection_accuracy"), "--" + method, truth], check=True,
                               env=dict(env, PELORIX_DETECTION_JOINS=dump), stdout=subprocess.DEVNULL)
            rows += label_case(dump, truth)
    return rows


def case_arguments(doc, tool, last, rounds, out, extra=None):
    """The command line both trainers share; returns it and the folder of the cases."""
    parser = argparse.ArgumentParser(description=doc, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--first", type=int, default=101)
    parser.add_argument("--last", type=int, default=last)
    parser.add_argument("--rounds", type=int, default=rounds)
    if extra:
        extra(parser)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--folder", help="where the cases and what was learnt from them are kept "
                                         "(default: BUILD/detection-train)")
    parser.add_argument("--out", default=os.path.join(ROOT, "workbench", "detection", out))
    args = parser.parse_args()
    if args.first <= 40 or args.first > 1000 or args.last <= 40 or 1000 < args.last:
        sys.exit("%s: cases 1-40 and above 1000 are kept for tuning, checks and evaluation" % tool)
    folder = args.folder or os.path.join(args.build, "detection-train")
    os.makedirs(folder, exist_ok=True)
    return args, folder


def train_and_write(rows, args, what, positive, features, tool):
    """Trains on the labelled rows and writes the model with a line on what it learnt from."""
    positives = sum(r[1] for r in rows)
    print("%d %s, %d %s" % (len(rows), what, positives, positive), file=sys.stderr)
    model = train(rows, args.rounds)
    right = sum(1 for r in rows if (predict(model, r[0]) >= 0.5) == (r[1] == 1))
    summary = "cases %d-%d: %d %s (%d %s), %d rounds, %.1f %% right on them" % (
        args.first, args.last, len(rows), what, positives, positive, args.rounds, 100.0 * right / len(rows))
    print(summary, file=sys.stderr)
    write_model(model, args.out, summary, features, tool)


def main():
    args, folder = case_arguments(
        __doc__, "train_join_model", 340, 150, "JoinModelData.inc",
        lambda parser: parser.add_argument("--methods", default="graph",
                                           help="whose pieces to learn from: graph (default), tracer or both"))
    rows = collect(args.first, args.last, folder, args.build, args.methods.split(","))
    train_and_write(rows, args, "pairs of ends", "of one hair", FEATURES, "tools/train_join_model.py")


if __name__ == "__main__":
    main()
