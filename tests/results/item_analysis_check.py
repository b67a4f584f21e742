"""Item analysis of a saved results set, computed apart from the program from its three
files (roster .txt, paper .CHO, answers .DAN), in exact fractions where the figures allow.
Usage: item_analysis_check.py CHENGJI_FOLDER NAME; prints JSON."""
import json
import math
import os
import re
import statistics
import sys
from fractions import Fraction


def read(folder, name, extension):
    for entry in os.listdir(folder):
        if entry.lower() == (name + extension).lower():
            with open(os.path.join(folder, entry), "rb") as f:
                return f.read().decode("gbk")
    raise SystemExit("missing " + name + extension)


def number(text):
    match = re.match(r"\s*([-+]?(\d+\.?\d*|\.\d+))", text)
    return Fraction(match.group(1)) if match else Fraction(0)


def paper(text):
    values = {}
    for line in text.splitlines():
        if "=" in line and not line.startswith("["):
            key, value = line.split("=", 1)
            values[key.strip()] = value
    count = int(number(values.get("总题数", "0")))
    default = number(values.get("分值", "0"))
    keys, weights = [], []
    for q in range(1, count + 1):
        keys.append(values.get(f"{q}DA", "").strip(" "))
        own = number(values.get(f"{q}Z", ""))
        weights.append(own if own != 0 else default)
    return keys, weights


def group_weights(totals, share, high):
    """Each tie block occupies positions [start, start + size) counted from the chosen end;
    its members share the part of [0, share) the block covers."""
    order = sorted(set(totals), reverse=high)
    weights, start = {}, Fraction(0)
    for value in order:
        size = totals.count(value)
        covered = max(Fraction(0), min(start + size, share) - start)
        weights[value] = covered / size
        start += size
    return [weights[t] for t in totals]


def main(folder, name):
    keys, weights = paper(read(folder, name, ".CHO"))
    rows = [line.split(",") for line in read(folder, name, ".txt").splitlines() if line != ""]
    fields = re.split(r"\r\n|\r|\n|,", read(folder, name, ".DAN"))
    k = len(keys)

    people = []  # (answers, total) of participants
    for r, row in enumerate(rows):
        if len(row) < 3 or row[2].strip(" ") == "":
            continue
        answers = [fields[r * 200 + q].strip(" ") for q in range(k)]
        right = [a != "" and a in keys[q] for q, a in enumerate(answers)]
        total = sum((weights[q] for q in range(k) if right[q]), Fraction(0))
        people.append((answers, right, total))

    n = len(people)
    totals = [p[2] for p in people]
    mean = sum(totals, Fraction(0)) / n
    variance = sum(((t - mean) ** 2 for t in totals), Fraction(0)) / n
    q1, median, q3 = statistics.quantiles([float(t) for t in totals], n=4, method="inclusive")

    share = Fraction(27, 100) * n
    high = group_weights(totals, share, True)
    low = group_weights(totals, share, False)

    items, item_variance = [], Fraction(0)
    for q in range(k):
        right = [p[1][q] for p in people]
        count = sum(right)
        p_value = Fraction(count, n)
        d = (sum(w for w, r in zip(high, right) if r) - sum(w for w, r in zip(low, right) if r)) / share
        rest = [t - (weights[q] if r else 0) for t, r in zip(totals, right)]
        rest_mean = sum(rest, Fraction(0)) / n
        rest_sd = math.sqrt(sum(((x - rest_mean) ** 2 for x in rest), Fraction(0)) / n)
        if 0 < count < n and rest_sd > 0:
            m1 = sum((x for x, r in zip(rest, right) if r), Fraction(0)) / count
            m0 = sum((x for x, r in zip(rest, right) if not r), Fraction(0)) / (n - count)
            rpb = float(m1 - m0) / rest_sd * math.sqrt(p_value * (1 - p_value))
        else:
            rpb = 0.0
        counts, means = [], []
        for option in ["1", "2", "3", "4", "5", None]:
            chose = [p[2] for p in people if (p[0][q] == "" if option is None else option in p[0][q])]
            counts.append(len(chose))
            means.append(float(sum(chose, Fraction(0)) / len(chose)) if chose else 0.0)
        item_variance += weights[q] ** 2 * p_value * (1 - p_value)
        items.append({"p": float(p_value), "d": float(d), "rpb": rpb, "counts": counts, "means": means})

    kr20 = Fraction(k, k - 1) * (1 - item_variance / variance) if k >= 2 and variance > 0 else Fraction(0)
    sd = math.sqrt(variance)
    print(json.dumps({"participants": n, "mean": float(mean), "sd": sd, "median": median, "q1": q1, "q3": q3,
                      "kr20": float(kr20), "sem": sd * math.sqrt(max(0, 1 - kr20)), "items": items}))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
