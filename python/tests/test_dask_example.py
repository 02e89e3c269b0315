"""The Dask example on two local worker processes gives, byte for byte, what one process
gives for the same corpus."""

import os
import pathlib
import random
import sys

import pytest

import quellix

EXAMPLES = pathlib.Path(__file__).resolve().parent.parent / "examples"

SENTENCES = [
    "The associate professor computed hyphenation algorithms for typesetting.",
    "Die Silbentrennung großer Wörterbücher braucht Zeit.",
    "Visit https://www.example.org/documentation or write to someone@example.org.",
    "UNESCO\tpublished    recommendations\r",
    "\u00bbQuotation\u00ab, parenthetical (interruptions) and hy\u00adphenated words.",
]


def make_corpus(directory: pathlib.Path, files: int, lines: int) -> list:
    rng = random.Random(17)
    paths = []
    for f in range(files):
        rows = [" ".join(rng.choice(SENTENCES) for _ in range(rng.randint(1, 4))) for _ in range(lines)]
        data = "\n".join(rows).encode("utf-8") + b"\n"
        data += b"bytes that are not \xff UTF-8 \xc3 stay\n"  # and no final line feed:
        data += "incomprehensibility".encode()
        path = directory / f"corpus-{f}.txt"
        path.write_bytes(data)
        paths.append(path)
    return paths


@pytest.mark.slow
def test_two_workers_match_one_process_byte_for_byte(tmp_path, monkeypatch):
    pytest.importorskip("dask")
    distributed = pytest.importorskip("distributed")
    # The worker processes import the example module and quellix from these paths.
    path = os.pathsep.join([str(EXAMPLES), *sys.path])
    monkeypatch.setenv("PYTHONPATH", path)
    monkeypatch.syspath_prepend(str(EXAMPLES))
    import dask_hyphenate

    inputs = make_corpus(tmp_path, files=2, lines=600)
    out_dir = tmp_path / "out"
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster) as client:
        parts = dask_hyphenate.hyphenate_corpus([str(p) for p in inputs], str(out_dir),
                                                lang="en-us", blocksize="8KiB")
        assert len(client.scheduler_info()["workers"]) == 2
    assert len(parts) > 10  # several blocks of each file

    distributed_result = b"".join(pathlib.Path(p).read_bytes() for p in parts)
    single = b"".join(quellix.hyphenate_text(p.read_bytes(), "en-us") for p in inputs)
    assert distributed_result == single
    assert "\u00ad".encode() in single


def test_unknown_language_fails_before_any_task(tmp_path, monkeypatch):
    pytest.importorskip("dask")
    pytest.importorskip("distributed")
    monkeypatch.syspath_prepend(str(EXAMPLES))
    import dask_hyphenate

    (tmp_path / "in.txt").write_text("hyphenation\n")
    with pytest.raises(quellix.UnknownLanguageError):
        dask_hyphenate.hyphenate_corpus(str(tmp_path / "in.txt"), str(tmp_path / "out"), lang="xx")
