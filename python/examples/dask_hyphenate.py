"""Hyphenate a text corpus too large for one machine with Dask.

The corpus is cut into blocks of whole lines (dask.bytes.read_bytes with a newline
delimiter), each block goes through quellix.hyphenate_text on some worker, and each
result block is written as one numbered part file, so the parts, concatenated in name
order, are byte for byte what hyphenate_text gives for the whole corpus (no word spans a
line break, and bytes that are not UTF-8 pass through unchanged).

    python3 dask_hyphenate.py corpus/*.txt out/ --lang en-us --workers 2
    python3 dask_hyphenate.py 's3://bucket/corpus/*.txt' s3://bucket/out/ \
        --scheduler tcp://scheduler:8786

Without --scheduler a distributed.LocalCluster with --workers processes runs on this
machine; with it, the work goes to that cluster, whose workers need quellix installed and
must reach the input and output paths (a shared file system, or any fsspec URL).
"""

import argparse
import sys

import dask
from dask.bytes import read_bytes
from distributed import Client, LocalCluster
from fsspec.core import url_to_fs

import quellix


def hyphenate_block(block: bytes, lang: str, hyphen: str) -> bytes:
    """One block of whole lines, hyphenated (runs on a worker)."""
    return quellix.hyphenate_text(block, lang, hyphen)


def write_part(data: bytes, urlpath: str) -> int:
    """Writes one result block; returns its size (runs on a worker)."""
    fs, path = url_to_fs(urlpath)
    with fs.open(path, "wb") as out:
        out.write(data)
    return len(data)


def hyphenate_corpus(inputs, output_dir, lang="en-us", hyphen="\u00ad", blocksize="64MiB"):
    """Builds the Dask graph that hyphenates the files matching ``inputs`` into part files
    output_dir/part-00000.txt, ... (one per block, in input order), and runs it on the
    current Dask client. Returns the part paths in order."""
    quellix.Hyphenator(lang)  # an unknown tag fails here, before any task runs
    _, blocks = read_bytes(inputs, delimiter=b"\n", blocksize=blocksize, sample=False)
    fs, root = url_to_fs(output_dir)
    fs.makedirs(root, exist_ok=True)
    base = output_dir.rstrip("/")
    parts, writes = [], []
    for block in (b for file_blocks in blocks for b in file_blocks):
        part = f"{base}/part-{len(parts):05d}.txt"
        parts.append(part)
        result = dask.delayed(hyphenate_block, pure=True)(block, lang, hyphen)
        writes.append(dask.delayed(write_part)(result, part))
    dask.compute(*writes)
    return parts


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("inputs", nargs="+", help="input files or glob patterns (local or fsspec URLs)")
    parser.add_argument("output_dir", help="directory for the part files")
    parser.add_argument("--lang", default="en-us", help="language tag (see quellix.languages())")
    parser.add_argument("--hyphen", default="\u00ad", help="inserted at each break (default: soft hyphen)")
    parser.add_argument("--blocksize", default="64MiB", help="bytes per task (default 64MiB)")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler")
    parser.add_argument("--workers", type=int, default=2, help="local worker processes (default 2)")
    args = parser.parse_args(argv)

    if args.scheduler:
        client = Client(args.scheduler)
        cluster = None
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, dashboard_address=None)
        client = Client(cluster)
    try:
        parts = hyphenate_corpus(args.inputs, args.output_dir, args.lang, args.hyphen, args.blocksize)
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    print(f"{len(parts)} part(s) written to {args.output_dir}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
