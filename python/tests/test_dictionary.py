"""quellix.Hyphenator from a libhyphen dictionary (.dic), by path or by bytes: breaks that
change the spelling, capitals, the errors that name what is wrong, pickling."""

import os
import pathlib
import pickle

import pytest

import quellix

HUNGARIAN = "/usr/share/hyphen/hyph_hu_HU.dic"
# The examples of libhyphen's README.nonstandard, with a standard pattern beside them.
OWN = "\n".join(["ISO8859-1", "LEFTHYPHENMIN 2", "RIGHTHYPHENMIN 2", ".schif1fahrt/ff=f,5,2",
                 ".as3szon/sz=sz,2,3", "n1nyal./ny=ny,1,3", "a1atje./a=t,1,3", "t1t"]).encode("latin-1") + b"\n"


@pytest.fixture(scope="module")
def own():
    return quellix.Hyphenator.from_dictionary_bytes(OWN, source="own.dic")


@pytest.mark.parametrize(
    "word, inserted, pairs",
    [
        ("schiffahrt", "schiff-fahrt", [("schiff", "fahrt")]),
        ("Schiffahrt", "Schiff-fahrt", [("Schiff", "fahrt")]),
        ("SCHIFFAHRT", "SCHIFF-FAHRT", [("SCHIFF", "FAHRT")]),
        ("asszonnyal", "asz-szony-nyal", [("asszony", "nyal"), ("asz", "szonnyal")]),
        ("omaatje", "oma-tje", [("oma", "tje")]),
        ("motto", "mot-to", [("mot", "to")]),
    ],
)
def test_breaks_that_change_the_spelling(own, word, inserted, pairs):
    assert own.inserted(word) == inserted
    assert list(own.iterate(word)) == pairs
    # pieces and positions keep the spelling: the pieces join to the word.
    assert "".join(own.pieces(word)) == word
    assert all(p in {len(a) for a, _ in pairs if word.startswith(a)} for p in own.positions(word))


def test_a_system_dictionary_by_path(tmp_path):
    if not os.path.exists(HUNGARIAN):
        pytest.skip("no Hungarian dictionary (Debian: hyphen-hu)")
    for path in (HUNGARIAN, pathlib.Path(HUNGARIAN), os.fsencode(HUNGARIAN)):
        hu = quellix.Hyphenator.from_dictionary(path)
        assert hu.inserted("asszonnyal") == "asz-szony-nyal" and hu.wrap("kulissza", 7) == ("kulisz-", "sza")
    assert (hu.dictionary, hu.language, hu.tag, hu.left, hu.right) == (HUNGARIAN, None, None, 2, 2)
    assert repr(hu) == f"quellix.Hyphenator.from_dictionary('{HUNGARIAN}', left=2, right=2)"
    # Running text cannot change the spelling at a soft hyphen: those breaks are left out.
    assert quellix.hyphenate_text("kulissza asszonnyal", hu, "|") == "ku|lissza asszonnyal"


def test_pickled_with_its_bytes_and_its_derivations(own):
    derived = quellix.Hyphenator(own, left=4, exceptions=["schif-fahrt"])
    copy = pickle.loads(pickle.dumps(derived))
    assert (copy.dictionary, copy.left, copy.inserted("schiffahrt"), copy.inserted("asszonnyal")) == (
        "own.dic", 4, "schif-fahrt", "asszony-nyal")


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda d: quellix.Hyphenator.from_dictionary(d / "missing.dic"), FileNotFoundError, "missing.dic"),
        (lambda d: quellix.Hyphenator.from_dictionary(d), IsADirectoryError, ""),
        (lambda d: quellix.Hyphenator.from_dictionary("x\0y"), ValueError, "null character"),
        (lambda d: quellix.Hyphenator.from_dictionary(str(d / "x") * 100_000), OSError, "..."),
        (lambda d: quellix.Hyphenator.from_dictionary_bytes(b"UTF-8\nab1c/\n", "mine.dic"), quellix.DictionaryError,
         "mine.dic: line 2"),
        (lambda d: quellix.Hyphenator.from_dictionary_bytes(b"EBCDIC\na1b\n"), quellix.DictionaryError,
         "dictionary: line 1"),
        (lambda d: quellix.Hyphenator.from_dictionary_bytes("UTF-8\na1b\n"), TypeError, "data must be bytes"),
        (lambda d: quellix.Hyphenator.from_dictionary_bytes(b"UTF-8\n", source=b"x"), TypeError, "source must be a str"),
    ],
)
def test_what_cannot_be_read_is_named(tmp_path, call, error, message):
    with pytest.raises(error) as raised:
        call(tmp_path)
    assert message in str(raised.value)
    assert len(str(raised.value).encode()) < 400
