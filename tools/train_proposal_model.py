#!/usr/bin/python3
"""Trains the proposal model of the hair detection on generated pictures.

    tools/train_proposal_model.py [--first N] [--last M] [--rounds R]

Generates cases N..M (default 101..340) with build/bin/make_sample_picture, runs
build/bin/detection_accuracy on each with PELORIX_DETECTION_PROPOSALS set (the
detection then writes the figures of each detection, and the evaluation whether it
matched a true hair), trains boosted decision trees (logistic loss) on them and
writes workbench/detection/ProposalModelData.inc. The trees are those of
tools/train_join_model.py (numpy, when present, only makes it faster).

Cases 1-40 and 1001-1024 are the tuning, check and held-out sets: never train on them.
"""
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
    for n, truth in trees.cases(first, last, folder, build):
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
    args, folder = trees.case_arguments(
        __doc__, "train_proposal_model", 340, 80, "ProposalModelData.inc")
    rows = collect(args.first, args.last, folder, args.build)
    trees.train_and_write(rows, args, "detections", "matched a hair", FEATURES, "tools/train_proposal_model.py")


if __name__ == "__main__":
    main()
