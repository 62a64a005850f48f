#!/usr/bin/python3
"""Trains the proposal model of the hair detection on generated pictures.

    tools/train_proposal_model.py [--first N] [--last M] [--rounds R]

Generates cases N..M (default 101..340) with build/bin/make_sample_picture, runs
build/bin/detection_accuracy on each with PELORIX_DETECTION_PROPOSALS set (the
detection then writes the figures of each detection, and the evaluation whether it
matched a true hair), trains boosted decision trees (logistic loss) on them and
writes workbench/detection/ProposalModelData.inc. The trees are those of
tools/train_join_model.py. Plain Python, no libraries beyond the standard.

Cases 1-40 and 1001-1024 are the tuning, check and held-out sets: never train on them.
"""
import argparse
import os
import subprocess
import sys

import train_join_model as trees

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# As ProposalFeature in workbench/detection/ProposalModel.h.
FEATURES = [
    "lengthMm", "thicknessUm", "contrast", "curved", "straightness", "along", "alongLonger", "endsOnOther",
    "neighbours", "beyondMax", "beyondMin", "red", "green",
]


def collect(first, last, folder, build):
    rows = []
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    for n in range(first, last + 1):
        truth = os.path.join(folder, "case-%d-truth.json" % n)
        if not os.path.exists(truth):
            subprocess.run([os.path.join(build, "bin", "make_sample_picture"), "--case", str(n), folder],
                           check=True, env=env, stdout=subprocess.DEVNULL)
        dump = os.path.join(folder, "case-%d-proposals.txt" % n)
        if not os.path.exists(dump + ".labels"):
            subprocess.run([os.path.join(build, "bin", "detection_accuracy"), "--graph", truth], check=True,
                           env=dict(env, PELORIX_DETECTION_PROPOSALS=dump), stdout=subprocess.DEVNULL)
        features = [[float(v) for v in line.split()[1:]] for line in open(dump)]
        labels = [int(line) for line in open(dump + ".labels")]
        if len(features) != len(labels) or any(len(f) != len(FEATURES) for f in features):
            sys.exit("train_proposal_model: %s does not fit its labels or the features" % dump)
        rows += list(zip(features, labels))
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--first", type=int, default=101)
    parser.add_argument("--last", type=int, default=340)
    parser.add_argument("--rounds", type=int, default=80)
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--folder", help="where the cases and the figures are kept (default: BUILD/detection-train)")
    parser.add_argument("--out", default=os.path.join(ROOT, "workbench", "detection", "ProposalModelData.inc"))
    args = parser.parse_args()
    if args.first <= 40 or args.first > 1000 or args.last <= 40 or 1000 < args.last:
        sys.exit("train_proposal_model: cases 1-40 and above 1000 are kept for tuning, checks and evaluation")
    folder = args.folder or os.path.join(args.build, "detection-train")
    os.makedirs(folder, exist_ok=True)
    rows = collect(args.first, args.last, folder, args.build)
    positives = sum(r[1] for r in rows)
    print("%d detections, %d matched a hair" % (len(rows), positives), file=sys.stderr)
    model = trees.train(rows, args.rounds)
    right = sum(1 for r in rows if (trees.predict(model, r[0]) >= 0.5) == (r[1] == 1))
    summary = "cases %d-%d: %d detections (%d matched a hair), %d rounds, %.1f %% right on them" % (
        args.first, args.last, len(rows), positives, args.rounds, 100.0 * right / len(rows))
    print(summary, file=sys.stderr)
    trees.write_model(model, args.out, summary, FEATURES, "tools/train_proposal_model.py")


if __name__ == "__main__":
    main()
