"""quellix against pyphen on the same words in one process: words/s of each and the ratio.

    PYTHONPATH=build/release/python /usr/bin/python3 python/bench/pyphen_compare.py

Words: the lowercase ASCII words of /usr/share/dict/american-english (Debian's wamerican),
or the file given with --words. Both divide en_US with margins 2 and 3. Neither side
caches results: each pyphen round uses a fresh Pyphen(cache=False), whose word cache
starts empty, and quellix has no result cache. Each round times one pass over all words
for each; the median of the rounds is shown. Also shows hyphenate_text on the same words
as one text, from 1 and 2 threads (the GIL is released while quellix divides).
"""

import argparse
import gc
import platform
import statistics
import threading
import time

import pyphen

import quellix


def read_words(path):
    with open(path, encoding="utf-8") as f:
        return [w for w in (line.strip() for line in f) if w.isascii() and w.isalpha() and w.islower()]


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
    """A pass calling function on every word, keeping no result."""
    def run():
        for w in words:
            function(w)
    return run


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--words", default="/usr/share/dict/american-english")
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()

    words = read_words(args.words)
    h = quellix.Hyphenator("en-us")
    for w in words[:5000]:  # the tables and the automaton are built once per process
        h.positions(w)

    results = {"pyphen positions": [], "pyphen inserted": [], "quellix positions": [],
               "quellix pieces": [], "quellix inserted": []}
    for _ in range(args.rounds):
        dic = pyphen.Pyphen(lang="en_US", left=2, right=3, cache=False)
        results["pyphen positions"].append(timed(each(dic.positions, words)))
        dic = pyphen.Pyphen(lang="en_US", left=2, right=3, cache=False)
        results["pyphen inserted"].append(timed(each(dic.inserted, words)))
        results["quellix positions"].append(timed(each(h.positions, words)))
        results["quellix pieces"].append(timed(each(h.pieces, words)))
        results["quellix inserted"].append(timed(each(h.inserted, words)))

    dic = pyphen.Pyphen(lang="en_US", left=2, right=3, cache=False)
    same = sum(1 for w in words if list(dic.positions(w)) == h.positions(w))

    print(f"quellix {quellix.__version__} against pyphen {pyphen.__version__ if hasattr(pyphen, '__version__') else ''}"
          f" on Python {platform.python_version()}: {len(words):,} words of {args.words},"
          f" median of {args.rounds} rounds")
    print(f"{'measurement':<20} {'words/s':>12} {'ns/word':>9}")
    rate = {}
    for name, seconds in results.items():
        median = statistics.median(seconds)
        rate[name] = len(words) / median
        print(f"{name:<20} {rate[name]:>12,.0f} {1e9 * median / len(words):>9,.0f}")
    print(f"ratio positions: {rate['quellix positions'] / rate['pyphen positions']:.1f}x")
    print(f"ratio inserted:  {rate['quellix inserted'] / rate['pyphen inserted']:.1f}x")
    print(f"same breaks: {same:,} of {len(words):,} words")

    text = " ".join(words) * 8
    threads_rate = {}
    for n in (1, 2):
        def work():
            quellix.hyphenate_text(text, "en-us")
        def run():
            ts = [threading.Thread(target=work) for _ in range(n)]
            for t in ts:
                t.start()
            for t in ts:
                t.join()
        threads_rate[n] = statistics.median(n * len(text) / 1e6 / timed(run) for _ in range(3))
    print(f"hyphenate_text, {len(text) / 1e6:.1f} MB: 1 thread {threads_rate[1]:.1f} MB/s,"
          f" 2 threads {threads_rate[2]:.1f} MB/s ({threads_rate[2] / threads_rate[1]:.2f}x)")


if __name__ == "__main__":
    main()
