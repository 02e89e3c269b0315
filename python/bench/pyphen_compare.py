"""quellix.pyphen against pyphen: the same dictionary, the same words, one process.

    PYTHONPATH=build/release/python /usr/bin/python3 python/bench/pyphen_compare.py

Both read Debian's hyph_en_US.dic (hyphen-en-us) through Pyphen(lang="en_US") with margins
2 and 2, and neither reuses a result: quellix keeps none, and pyphen's own word memo (its
dictionary's ``cache`` dict) is replaced by one that keeps nothing. Measured, each as the
median of the rounds, in words per second and as quellix's ratio to pyphen:

- positions and inserted over the lowercase ASCII words of /usr/share/dict/american-english
  (wamerican), or the file given with --words;
- a syllable count over 10 MB of English text, as readability scores count (textstat:
  the text in small letters without punctuation, split at white space, each word's
  syllables its break positions plus one), from --text or, by default, Debian's package
  changelogs under /usr/share/doc.

Also shown: quellix's own Hyphenator on its built-in en-us patterns (hyph-utf8, not the
same dictionary), and the text from one and from two threads.
"""

import argparse
import gc
import glob
import gzip
import platform
import statistics
import string
import threading
import time

import pyphen

import quellix
from quellix import pyphen as quellix_pyphen


class KeepsNothing(dict):
    """A dict that stores nothing: pyphen's word memo, switched off."""

    def __setitem__(self, key, value):
        pass


def read_words(path):
    with open(path, encoding="utf-8") as f:
        return [w for w in (line.strip() for line in f) if w.isascii() and w.isalpha() and w.islower()]


def english_text(path, size):
    """size bytes of English text: the file at path, or Debian's changelogs."""
    if path:
        with open(path, "rb") as f:
            return f.read(size).decode("utf-8", "replace")
    chunks, total = [], 0
    for name in sorted(glob.glob("/usr/share/doc/*/changelog*.gz")):
        with gzip.open(name, "rb") as f:
            data = f.read()
        chunks.append(data)
        total += len(data)
        if total >= size:
            break
    return b"".join(chunks)[:size].decode("utf-8", "replace")


def syllable_words(text):
    """The words of text as textstat counts syllables in them."""
    return text.lower().translate(str.maketrans("", "", string.punctuation)).split()


def timed(function):
    # As timeit does: no cyclic garbage collection inside the timed code.
    gc.collect()
    gc.disable()
    try:
        start = time.perf_counter()
        function()
        return time.perf_counter() - start
    finally:
        gc.enable()


def each(function, words):
    def run():
        for w in words:
            function(w)
    return run


def syllables(dictionary, words):
    def run():
        count = 0
        positions = dictionary.positions
        for w in words:
            count += len(positions(w)) + 1
        return count
    return run


def pyphen_without_memo(lang):
    dictionary = pyphen.Pyphen(lang=lang, cache=False)
    dictionary.hd.cache = KeepsNothing()
    return dictionary


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--words", default="/usr/share/dict/american-english")
    parser.add_argument("--text", help="a file of English text (default: Debian's changelogs)")
    parser.add_argument("--text-mb", type=float, default=10.0, help="megabytes of it (default 10)")
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()

    words = read_words(args.words)
    text = english_text(args.text, int(args.text_mb * 1_000_000))
    text_words = syllable_words(text)
    theirs = pyphen_without_memo("en_US")
    ours = quellix_pyphen.Pyphen(lang="en_US", cache=False)
    builtin = quellix.Hyphenator("en-us", left=2, right=2)
    for w in words[:5000]:  # tables and automata are built once per process
        ours.positions(w)
        builtin.positions(w)

    rows = {name: [] for name in ("pyphen positions", "quellix.pyphen positions", "pyphen inserted",
                                  "quellix.pyphen inserted", "Hyphenator positions (hyph-utf8)")}
    for _ in range(args.rounds):
        rows["pyphen positions"].append(timed(each(theirs.positions, words)))
        rows["quellix.pyphen positions"].append(timed(each(ours.positions, words)))
        rows["pyphen inserted"].append(timed(each(theirs.inserted, words)))
        rows["quellix.pyphen inserted"].append(timed(each(ours.inserted, words)))
        rows["Hyphenator positions (hyph-utf8)"].append(timed(each(builtin.positions, words)))
    count_rounds = max(1, args.rounds // 2)
    counts = {"pyphen": [], "quellix.pyphen": []}
    for _ in range(count_rounds):
        counts["pyphen"].append(timed(syllables(theirs, text_words)))
        counts["quellix.pyphen"].append(timed(syllables(ours, text_words)))
    same = sum(1 for w in words if [int(p) for p in theirs.positions(w)] == [int(p) for p in ours.positions(w)])
    same_count = syllables(theirs, text_words)() == syllables(ours, text_words)()

    print(f"quellix {quellix.__version__} against pyphen {getattr(pyphen, '__version__', '')} on Python "
          f"{platform.python_version()}, both with hyph_en_US.dic: "
          f"{len(words):,} words of {args.words}, median of {args.rounds} rounds")
    print(f"{'measurement':<34} {'words/s':>12} {'ns/word':>9}")
    rate = {}
    for name, seconds in rows.items():
        median = statistics.median(seconds)
        rate[name] = len(words) / median
        print(f"{name:<34} {rate[name]:>12,.0f} {1e9 * median / len(words):>9,.0f}")
    print(f"ratio positions: {rate['quellix.pyphen positions'] / rate['pyphen positions']:.1f}x")
    print(f"ratio inserted:  {rate['quellix.pyphen inserted'] / rate['pyphen inserted']:.1f}x")
    print(f"same positions: {same:,} of {len(words):,} words")

    print(f"syllable count of {len(text) / 1e6:.1f} MB of English text ({len(text_words):,} words), "
          f"median of {count_rounds}:")
    count_rate = {name: len(text_words) / statistics.median(seconds) for name, seconds in counts.items()}
    for name, words_per_second in count_rate.items():
        print(f"  {name:<16} {words_per_second:>12,.0f} words/s {len(text) / 1e6 / (len(text_words) / words_per_second):>7.2f} MB/s")
    print(f"ratio syllable count: {count_rate['quellix.pyphen'] / count_rate['pyphen']:.1f}x"
          f" (same count: {'yes' if same_count else 'no'})")

    big = " ".join(words) * 8
    threads_rate = {}
    for n in (1, 2):
        def work():
            quellix.hyphenate_text(big, "en-us")

        def run():
            ts = [threading.Thread(target=work) for _ in range(n)]
            for t in ts:
                t.start()
            for t in ts:
                t.join()
        threads_rate[n] = statistics.median(n * len(big) / 1e6 / timed(run) for _ in range(3))
    print(f"hyphenate_text, {len(big) / 1e6:.1f} MB: 1 thread {threads_rate[1]:.1f} MB/s,"
          f" 2 threads {threads_rate[2]:.1f} MB/s ({threads_rate[2] / threads_rate[1]:.2f}x)")


if __name__ == "__main__":
    main()
