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

    # Again with larger blocks, fewer parts: --replace leaves none of the first run's.
    (out_dir / "notes.txt").write_text("kept")
    said = []
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                  dashboard_address=None) as cluster, \
            distributed.Client(cluster):
        fewer = dask_hyphenate.hyphenate_corpus([str(p) for p in inputs], str(out_dir), lang="en-us",
                                                blocksize="64KiB", replace=True, say=said.append)
    assert len(fewer) < len(parts) and said == [f"removed the {len(parts)} part file(s) of an earlier run from {out_dir}"]
    names = sorted(p.name for p in out_dir.iterdir())
    assert names == sorted([pathlib.Path(p).name for p in fewer] + ["notes.txt"])
    assert b"".join(pathlib.Path(p).read_bytes() for p in fewer) == single


@pytest.fixture
def example(monkeypatch):
    pytest.importorskip("dask")
    pytest.importorskip("distributed")
    monkeypatch.syspath_prepend(str(EXAMPLES))
    import dask_hyphenate
    return dask_hyphenate


def test_what_is_refused_is_refused_before_any_task(tmp_path, example):
    (tmp_path / "in.txt").write_text("hyphenation\n")
    out = tmp_path / "out"
    with pytest.raises(quellix.UnknownLanguageError):
        example.hyphenate_corpus(str(tmp_path / "in.txt"), str(out), lang="xx")
    with pytest.raises(example.CorpusError, match=r"no file matches '.*missing\*\.txt'"):
        example.hyphenate_corpus([str(tmp_path / "in.txt"), str(tmp_path / "missing*.txt")], str(out))
    out.mkdir()
    (out / "part-00003.txt").write_text("from an earlier run")
    (out / "notes.txt").write_text("not a part")
    with pytest.raises(example.CorpusError, match="already holds 1 part file"):
        example.hyphenate_corpus(str(tmp_path / "in.txt"), str(out))
    assert sorted(p.name for p in out.iterdir()) == ["notes.txt", "part-00003.txt"]


@pytest.mark.parametrize(
    "arguments, message",
    [
        (["{}/missing/*.txt", "{}/out"], "no file matches"),
        (["{}/in.txt", "{}/out", "--lang", "xx"], "no language is named 'xx'"),
        (["{}/in.txt", "{}/full"], "already holds 1 part file(s), such as part-00000.txt"),
    ],
)
def test_the_command_line_says_what_it_refuses(tmp_path, example, capsys, arguments, message):
    (tmp_path / "in.txt").write_text("hyphenation\n")
    (tmp_path / "full").mkdir()
    (tmp_path / "full" / "part-00000.txt").write_text("old")
    assert example.main([a.replace("{}", str(tmp_path)) for a in arguments]) == 2
    assert message in capsys.readouterr().err
