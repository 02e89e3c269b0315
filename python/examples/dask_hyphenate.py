"""Hyphenate a text corpus too large for one machine with Dask.

The corpus is cut into blocks of whole lines (dask.bytes.read_bytes with a newline
delimiter), each block goes through quellix.hyphenate_text on some worker, and each
result block is written as one numbered part file, so the parts, concatenated in name
order, are byte for byte what hyphenate_text gives for the whole corpus (no word spans a
line break, and bytes that are not UTF-8 pass through unchanged).

    python3 dask_hyphenate.py 'corpus/*.txt' out/ --lang en-us --workers 2
    python3 dask_hyphenate.py 's3://bucket/corpus/*.txt' s3://bucket/out/ \\
        --scheduler tcp://scheduler:8786

Without --scheduler a distributed.LocalCluster with --workers processes runs on this
machine; with it, the work goes to that cluster, whose workers need quellix installed and
must reach the input and output paths (a shared file system, or any fsspec URL).

The output folder must hold no part files yet (part-NNNNN.txt), so that no part of an
earlier run is taken for one of this run; --replace removes those, and only those, first.
Exit status: 0 on success, 1 when the work fails, 2 for a wrong command line, inputs that
name no file, or an output folder that already holds parts.

A sample corpus to try it on (20 MB of English pseudo-prose in four files, from the words
of Debian's wamerican):

    mkdir -p /tmp/corpus && python3 -c 'import random; r = random.Random(1); [
        open(f"/tmp/corpus/{n}.txt", "w").writelines(
            " ".join(r.choices(w, k=9)).capitalize() + ".\\n" for _ in range(60000))
        for w in [open("/usr/share/dict/american-english").read().split()] for n in range(4)]'
"""

import argparse
import re
import sys

import dask
from dask.bytes import read_bytes
from distributed import Client, LocalCluster
from fsspec.core import url_to_fs

import quellix

PART = re.compile(r"part-\d{5}\.txt")


class CorpusError(Exception):
    """Inputs that name no file, or an output folder that already holds parts."""


def hyphenate_block(block: bytes, lang: str, hyphen: str) -> bytes:
    """One block of whole lines, hyphenated (runs on a worker)."""
    return quellix.hyphenate_text(block, lang, hyphen)


def write_part(data: bytes, urlpath: str) -> int:
    """Writes one result block; returns its size (runs on a worker)."""
    fs, path = url_to_fs(urlpath)
    with fs.open(path, "wb") as out:
        out.write(data)
    return len(data)


def input_files(inputs):
    """The files that inputs (paths, glob patterns or fsspec URLs) name, in order; raises
    CorpusError naming the inputs that name none."""
    inputs = [inputs] if isinstance(inputs, str) else list(inputs)
    if not inputs:
        raise CorpusError("no input given")
    files, unmatched = [], []
    for pattern in inputs:
        fs, path = url_to_fs(pattern)
        found = [p for p in sorted(fs.glob(path)) if fs.isfile(p)]
        if not found:
            unmatched.append(pattern)
        protocol = fs.protocol if isinstance(fs.protocol, str) else fs.protocol[0]
        files += [p if protocol == "file" else f"{protocol}://{p}" for p in found]
    if unmatched:
        raise CorpusError("no file matches " + ", ".join(repr(p) for p in unmatched))
    return files


def existing_parts(output_dir, replace):
    """The part files already in output_dir, by name; raises CorpusError when there are
    some and replace is false."""
    fs, root = url_to_fs(output_dir)
    if not fs.exists(root):
        return []
    parts = sorted(p for p in fs.ls(root, detail=False) if PART.fullmatch(p.rstrip("/").rsplit("/", 1)[-1]))
    if parts and not replace:
        raise CorpusError(f"{output_dir} already holds {len(parts)} part file(s), such as "
                          f"{parts[0].rsplit('/', 1)[-1]}; remove them, or pass --replace to replace them")
    return parts


def hyphenate_corpus(inputs, output_dir, lang="en-us", hyphen="\u00ad", blocksize="64MiB", replace=False,
                     say=lambda message: None):
    """Builds the Dask graph that hyphenates the files matching ``inputs`` into part files
    output_dir/part-00000.txt, ... (one per block, in input order), and runs it on the
    current Dask client. Returns the part paths in order.

    Raises CorpusError when an input names no file, or when output_dir already holds part
    files and ``replace`` is false; with ``replace``, those part files (and no other file)
    are removed first, and ``say`` is told how many."""
    quellix.Hyphenator(lang)  # an unknown tag fails here, before any task runs
    files = input_files(inputs)
    old = existing_parts(output_dir, replace)
    fs, root = url_to_fs(output_dir)
    if old:
        fs.rm(old)
        say(f"removed the {len(old)} part file(s) of an earlier run from {output_dir}")
    fs.makedirs(root, exist_ok=True)
    _, blocks = read_bytes(files, delimiter=b"\n", blocksize=blocksize, sample=False)
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
    parser.add_argument("--replace", action="store_true",
                        help="remove the part files an earlier run left in output_dir first")
    args = parser.parse_args(argv)

    def fail(message, status):
        print(f"{parser.prog}: {message}", file=sys.stderr)
        return status

    # What can be refused is refused before a cluster starts.
    try:
        input_files(args.inputs)
        quellix.Hyphenator(args.lang)
        existing_parts(args.output_dir, args.replace)
    except (CorpusError, quellix.UnknownLanguageError) as error:
        return fail(str(error), 2)
    if args.scheduler:
        client = Client(args.scheduler)
        cluster = None
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, dashboard_address=None)
        client = Client(cluster)
    try:
        parts = hyphenate_corpus(args.inputs, args.output_dir, args.lang, args.hyphen, args.blocksize,
                                 args.replace, say=print)
    except CorpusError as error:
        return fail(str(error), 2)
    except Exception as error:  # a task failed on a worker, or the output cannot be written
        return fail(f"{type(error).__name__}: {error}", 1)
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    print(f"{len(parts)} part(s) written to {args.output_dir}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
