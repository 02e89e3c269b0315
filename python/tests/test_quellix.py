"""Behaviour of the quellix Python module that callers rely on."""

import ast
import doctest
import os
import pathlib
import pickle
import re
import threading
import time
from concurrent.futures import ThreadPoolExecutor

import pytest

import quellix

SHY = "\u00ad"


@pytest.mark.parametrize(
    "lang, word, pieces",
    [
        ("en-us", "hyphenation", ["hy", "phen", "ation"]),
        ("English_US", "Associate", ["As", "so", "ciate"]),  # from the exception list
        ("de-1996", "Silbentrennung", ["Sil", "ben", "tren", "nung"]),
        ("de-1996", "Größenverhältnisse", ["Grö", "ßen", "ver", "hält", "nis", "se"]),
        ("ru", "переносить", ["пе", "ре", "но", "сить"]),
        ("en-us", "a", ["a"]),
        ("en-us", "", [""]),
    ],
)
def test_pieces_positions_and_inserted_agree(lang, word, pieces):
    h = quellix.Hyphenator(lang)
    assert h.pieces(word) == pieces
    # Character offsets, whatever the letters' UTF-8 length.
    offsets = [sum(map(len, pieces[:i])) for i in range(1, len(pieces))]
    assert h.positions(word) == offsets
    assert h.inserted(word) == "-".join(pieces)
    assert h.inserted(word, hyphen=SHY) == SHY.join(pieces)


def test_characters_outside_the_basic_plane_count_as_one():
    h = quellix.Hyphenator("en-us")
    word = "hyphenation\U0001F600"
    assert "".join(h.pieces(word)) == word
    assert all(0 < p < len(word) for p in h.positions(word))


@pytest.mark.parametrize(
    "kwargs, word, pieces",
    [
        ({}, "hyphenation", ["hy", "phen", "ation"]),
        ({"left": 3}, "hyphenation", ["hyphen", "ation"]),
        ({"right": 6}, "hyphenation", ["hy", "phenation"]),
        ({"left": 20}, "hyphenation", ["hyphenation"]),
        ({"exceptions": ["hyphena-tion"]}, "hyphenation", ["hyphena", "tion"]),
        ({"exceptions": ["Hyphena-tion"]}, "HYPHENATION", ["HYPHENA", "TION"]),
        # The caller's entry takes the place of the language's own for the same word...
        ({"exceptions": ["asso-ciate"]}, "associate", ["asso", "ciate"]),
        # ...and the language's other exceptions stay.
        ({"exceptions": ["hyphena-tion"]}, "associate", ["as", "so", "ciate"]),
        ({"exceptions": []}, "associate", ["as", "so", "ciate"]),
    ],
)
def test_margins_and_exceptions(kwargs, word, pieces):
    assert quellix.Hyphenator("en-us", **kwargs).pieces(word) == pieces


def test_properties_and_repr():
    h = quellix.Hyphenator("English_US", right=4)
    assert (h.language, h.tag, h.left, h.right) == ("English_US", "en-us", 2, 4)
    assert repr(h) == "quellix.Hyphenator('en-us', left=2, right=4)"


def test_pickled_hyphenator_divides_the_same():
    h = quellix.Hyphenator("en-us", left=3, exceptions=["asso-ciate"])
    copy = pickle.loads(pickle.dumps(h))
    for word in ("associate", "hyphenation", "computer"):
        assert copy.pieces(word) == h.pieces(word)
    assert (copy.left, copy.right) == (3, 3)


@pytest.mark.parametrize(
    "call, error, message",
    [
        (lambda: quellix.Hyphenator("xx-unknown"), quellix.UnknownLanguageError,
         "no language is named 'xx-unknown'"),
        (lambda: quellix.hyphenate_text("text", "zz-ZZ"), quellix.UnknownLanguageError,
         "no language is named 'zz-ZZ'"),
        (lambda: quellix.Hyphenator("en-us", exceptions="as-so-ciate"), TypeError, "not a str"),
        (lambda: quellix.Hyphenator("en-us", exceptions=[3]), TypeError, "str entries"),
        (lambda: quellix.Hyphenator("en-us", exceptions=["a-b\nc-d"]), ValueError, "line feed"),
        (lambda: quellix.hyphenate_text("text", "en-us", min_word_length=-1), ValueError,
         "min_word_length"),
        (lambda: quellix.hyphenate_text(3, "en-us"), TypeError, "str or bytes"),
        (lambda: quellix.hyphenate_text("text", 3), TypeError, "lang must be"),
        (lambda: quellix.hyphenate_text("\ud800text", "en-us"), UnicodeEncodeError, "surrogate"),
    ],
)
def test_errors_are_python_exceptions_with_clear_messages(call, error, message):
    with pytest.raises(error, match=re.escape(message)):
        call()


def test_exception_hierarchy():
    assert issubclass(quellix.UnknownLanguageError, quellix.Error)
    assert issubclass(quellix.UnknownLanguageError, LookupError)
    assert issubclass(quellix.ScoreError, ValueError)
    assert issubclass(quellix.DataError, quellix.Error)


def test_a_left_margin_of_zero_can_raise_the_librarys_score_error():
    h = quellix.Hyphenator("en-us", left=0, right=0)
    with pytest.raises(quellix.ScoreError, match="Malformed quellix score for "):
        h.pieces("")


@pytest.mark.parametrize(
    "text, kwargs, expected",
    [
        ("Hyphenation of running text leaves www.example.org and UNESCO alone.",
         {"hyphen": "-", "skip_capitals": True},
         "Hy-phen-ation of run-ning text leaves www.example.org and UNESCO alone."),
        ("Hyphenation www.example.org", {"hyphen": "|", "skip_urls": False},
         "Hy|phen|ation www.ex|am|ple.org"),
        ("computer hyphenation", {"hyphen": "|", "min_word_length": 9},
         "computer hy|phen|ation"),
        ("hy\u00adphenation", {"hyphen": "|"}, "hy\u00adphenation"),
        ("hy\u00adphenation", {"hyphen": "|", "skip_soft_hyphenated": False},
         "hy\u00adphen|ation"),
        ("", {}, ""),
    ],
)
def test_hyphenate_text_options(text, kwargs, expected):
    assert quellix.hyphenate_text(text, "en-us", **kwargs) == expected


def test_hyphenate_text_defaults_to_soft_hyphens_and_keeps_everything_else():
    text = "Typesetting\tcomputers,\r\nthe associate professor said: «hyphenation!»"
    out = quellix.hyphenate_text(text, "en-us")
    assert SHY in out
    assert out.replace(SHY, "") == text


def test_hyphenate_text_accepts_a_hyphenator_and_bytes():
    h = quellix.Hyphenator("en-us", left=3)
    assert quellix.hyphenate_text("hyphenation", h, "|") == "hyphen|ation"
    # Bytes in, bytes out; bytes that are not UTF-8 are kept.
    raw = b"\xff hyphenation \xc3\xa9t\xc3\xa9 \xfe"
    out = quellix.hyphenate_text(raw, "en-us", "|")
    assert out == b"\xff hy|phen|ation \xc3\xa9t\xc3\xa9 \xfe"
    assert quellix.hyphenate_html(b"<b>hyphenation</b>", "en-us", "|") == b"<b>hy|phen|ation</b>"


def test_hyphenate_html_divides_text_content_only():
    html = '<p title="hyphenation">Typesetting &amp; hyphenation <code>hyphenation()</code></p>'
    expected = ('<p title="hyphenation">Type&shy;set&shy;ting &amp; hy&shy;phen&shy;ation '
                "<code>hyphenation()</code></p>")
    assert quellix.hyphenate_html(html, "en-us", "&shy;") == expected


def test_hyphenate_html_follows_lang_attributes_unless_told_not_to():
    html = ('<p>Gesellschaft <span lang="de-1996">Gesellschaft</span> '
            '<span lang="xx">hyphenation</span></p>')
    followed = ('<p>Gesellschaft <span lang="de-1996">Ge|sell|schaft</span> '
                '<span lang="xx">hyphenation</span></p>')
    assert quellix.hyphenate_html(html, "en-us", "|") == followed
    assert quellix.hyphenate_html(html, "en-us", "|", follow_lang=True) == followed
    # English divides everything, the unknown language's text as well.
    assert quellix.hyphenate_html(html, "en-us", "|", follow_lang=False) == (
        '<p>Gesellschaft <span lang="de-1996">Gesellschaft</span> '
        '<span lang="xx">hy|phen|ation</span></p>')
    assert quellix.hyphenate_html(html.encode(), "en-us", "|", follow_lang=False) == (
        quellix.hyphenate_html(html, "en-us", "|", follow_lang=False).encode())
    # Plain text has no attributes to follow.
    with pytest.raises(TypeError):
        quellix.hyphenate_text("Gesellschaft", "en-us", follow_lang=False)


def test_languages_lists_every_built_in_language_usable_by_tag_and_name():
    languages = quellix.languages()
    assert len(languages) == 73
    assert quellix.Language("English_US", "en-us", 2, 3) in languages
    assert languages[0].name == "Afrikaans" and languages[-1].name == "Welsh"
    assert len({lang.tag for lang in languages}) == 73
    for lang in languages:
        by_tag, by_name = quellix.Hyphenator(lang.tag), quellix.Hyphenator(lang.name)
        assert (by_tag.language, by_tag.left, by_tag.right) == (lang.name, lang.left, lang.right)
        assert by_name.tag == lang.tag


def test_version():
    assert re.fullmatch(r"\d+\.\d+\.\d+", quellix.__version__)
    expected = os.environ.get("QUELLIX_EXPECTED_VERSION")
    if expected:
        assert quellix.__version__ == expected


def test_threads_share_hyphenators_and_get_the_same_results():
    words = ["hyphenation", "associate", "computer", "algorithm", "typesetting"] * 400
    h = quellix.Hyphenator("en-us")
    expected = [h.pieces(w) for w in words]
    text = " ".join(words)
    expected_text = quellix.hyphenate_text(text, "de-1996")
    with ThreadPoolExecutor(4) as pool:
        results = list(pool.map(lambda _: [h.pieces(w) for w in words], range(8)))
        texts = list(pool.map(lambda _: quellix.hyphenate_text(text, "de-1996"), range(8)))
    assert all(r == expected for r in results)
    assert all(t == expected_text for t in texts)


def test_stubs_describe_the_module():
    """The .pyi lists exactly the public names of the compiled module, with docstrings."""
    stub = pathlib.Path(quellix._quellix.__file__).with_name("_quellix.pyi")
    tree = ast.parse(stub.read_text(encoding="utf-8"))
    names = {n.name for n in tree.body if isinstance(n, (ast.FunctionDef, ast.ClassDef))}
    names |= {n.target.id for n in tree.body if isinstance(n, ast.AnnAssign)}
    runtime = {n for n in dir(quellix._quellix) if not n.startswith("__")} | {"__version__"}
    assert names == runtime
    hyphenator = next(n for n in tree.body if isinstance(n, ast.ClassDef) and n.name == "Hyphenator")
    members = {n.name for n in hyphenator.body if isinstance(n, ast.FunctionDef)} - {"__init__"}
    assert members == {n for n in dir(quellix.Hyphenator) if not n.startswith("_")}
    for name in quellix.__all__:
        assert getattr(quellix, name).__doc__ or name == "__version__"


def test_the_package_docstring_examples_hold():
    assert doctest.testmod(quellix).failed == 0


def test_the_gil_is_released_while_a_text_is_divided():
    """Another Python thread runs while one thread divides a long text."""
    text = "associate professors compute hyphenation algorithms " * 40000
    started = threading.Event()
    times = {}

    def divide():
        started.set()
        times["start"] = time.perf_counter()
        quellix.hyphenate_text(text, "en-us")
        times["end"] = time.perf_counter()

    worker = threading.Thread(target=divide)
    worker.start()
    started.wait()
    first_run = time.perf_counter()  # needs the GIL
    worker.join()
    call = times["end"] - times["start"]
    # Held through the call, the GIL would let this thread on only once the call is over.
    assert first_run - times["start"] < call / 2, (first_run - times["start"], call)


@pytest.mark.parametrize("tag", ["de", "de-AT", "de_DE.UTF-8", "German_1996", "DE-1996"])
def test_language_tags_resolve_as_in_the_library(tag):
    assert quellix.Hyphenator(tag).pieces("Silbentrennung") == ["Sil", "ben", "tren", "nung"]
