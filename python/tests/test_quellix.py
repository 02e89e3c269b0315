"""Behaviour of the quellix Python module that callers rely on."""

import ast
import concurrent.futures
import doctest
import os
import pathlib
import pickle
import random
import re
import subprocess
import sys
import textwrap
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


def test_the_package_shows_its_public_names_only():
    names = {n for n in dir(quellix) if not n.startswith("__")}
    assert names - {"_quellix", "pyphen"} == set(quellix.__all__) - {"__version__"}


def test_the_module_is_the_installed_one_where_one_was_installed():
    where = os.environ.get("QUELLIX_INSTALLED_IN")
    if not where:
        pytest.skip("QUELLIX_INSTALLED_IN names no installation to check")
    root = os.path.realpath(where)
    for module in (quellix, quellix._quellix):
        assert os.path.commonpath([os.path.realpath(module.__file__), root]) == root


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


# Faults found by an outside attack. Each reproducer runs in a child interpreter, so that
# a crash fails its test instead of ending the test run.
NO_HYPHENATOR = [
    "quellix.Hyphenator.__new__(quellix.Hyphenator).pieces('x')",
    "quellix.Hyphenator.__new__(quellix.Hyphenator).positions('x')",
    "quellix.Hyphenator.__new__(quellix.Hyphenator).left",
    "repr(quellix.Hyphenator.__new__(quellix.Hyphenator))",
    "pickle.dumps(quellix.Hyphenator.__new__(quellix.Hyphenator))",
    "quellix.hyphenate_text('x', quellix.Hyphenator.__new__(quellix.Hyphenator))",
    "quellix.Hyphenator(quellix.Hyphenator.__new__(quellix.Hyphenator), left=3)",
    "quellix.Hyphenator.pieces(object(), 'x')",
    "quellix.TextHyphenator.__new__(quellix.TextHyphenator).write('x')",
    # Half-made by a failed __setstate__, then used.
    "h = quellix.Hyphenator.__new__(quellix.Hyphenator)\n"
    "try:\n    h.__setstate__(('no such language', []))\n"
    "except quellix.UnknownLanguageError:\n    pass\n"
    "h.inserted('x')",
    "h = quellix.Hyphenator.__new__(quellix.Hyphenator)\n"
    "try:\n    h.__setstate__(3)\nexcept ValueError:\n    pass\n"
    "h.iterate('x')",
]


@pytest.mark.parametrize("code", NO_HYPHENATOR)
def test_an_object_that_holds_no_hyphenator_raises_type_error(code):
    script = "import pickle, quellix\ntry:\n" + textwrap.indent(code, "    ") + (
        "\nexcept TypeError as error:\n    print('TypeError:', error)\n")
    run = subprocess.run([sys.executable, "-c", script], capture_output=True, text=True, timeout=60)
    assert run.returncode == 0, run.stderr
    assert run.stdout.startswith("TypeError:"), run.stdout


BIG = "x" * 10_000_000
BIDI_CONTROLS = {"\u061c", "\u200e", "\u200f", *map(chr, range(0x202A, 0x202F)), *map(chr, range(0x2066, 0x206A))}


@pytest.mark.parametrize(
    "call, shown",
    [
        (lambda: quellix.Hyphenator(BIG), "no language is named 'xxxxxxxx"),
        (lambda: quellix.Hyphenator("a\u202eb\x1b[31m\x85c"), r"'a\xe2\x80\xaeb\x1b[31m\xc2\x85c'"),
        (lambda: quellix.Hyphenator("\u2066\u061cx\u200f\x7f"), r"'\xe2\x81\xa6\xd8\x9cx\xe2\x80\x8f\x7f'"),
        (lambda: quellix.hyphenate_text("text", BIG + "\x1b"), "no language is named 'xxx"),
        (lambda: quellix.Hyphenator("en-us").pieces(BIG, BIG), "at most 1 positional argument (2 given)"),
        (lambda: quellix.Hyphenator("en-us").wrap(BIG), "missing required argument 'width'"),
        (lambda: quellix.hyphenate_text(BIG, "en-us", **{BIG: 1}), "unexpected keyword argument 'xxx"),
        (lambda: quellix.hyphenate_text(BIG, "en-us", skip_urls=BIG), "skip_urls must be True or False, not str"),
        (lambda: quellix.Hyphenator("en-us", exceptions=[BIG + "\n"]), "holds a line feed"),
        (lambda: quellix.Hyphenator("en-us", exceptions=b"\x1b\xff" + (BIG[:4000] + "\n").encode() * 1000),
         r"not UTF-8 at line 1"),
        (lambda: quellix.Hyphenator("en-us", exceptions=BIG.encode()), "larger than 8 MiB"),
    ],
)
def test_messages_are_cut_and_escaped_as_the_c_apis(call, shown):
    with pytest.raises(Exception) as raised:
        call()
    message = str(raised.value)
    assert shown in message
    assert len(message.encode()) <= 260
    assert not [c for c in message if c < " " or "\x7f" <= c < "\xa0" or c in BIDI_CONTROLS]


@pytest.mark.parametrize(
    "word, width, hyphen, wrapped",
    [
        ("hyphenation", 3, "-", ("hy-", "phenation")),
        ("hyphenation", 6, "-", ("hy-", "phenation")),
        ("hyphenation", 7, "-", ("hyphen-", "ation")),
        ("hyphenation", 99, "-", ("hyphen-", "ation")),
        ("hyphenation", 2, "-", None),
        ("hyphenation", 7, "--", ("hy--", "phenation")),
        ("hyphenation", 8, "", ("hyphen", "ation")),
        ("a", 9, "-", None),
        ("", 9, "-", None),
    ],
)
def test_wrap_gives_the_longest_first_part_that_fits(word, width, hyphen, wrapped):
    assert quellix.Hyphenator("en-us").wrap(word, width, hyphen) == wrapped


@pytest.mark.parametrize("lang, word", [("en-us", "hyphenation"), ("de-1996", "Donaudampfschifffahrt"),
                                        ("ru", "переносить"), ("en-us", "a")])
def test_iterate_splits_at_each_break_from_the_last(lang, word):
    h = quellix.Hyphenator(lang)
    pairs = list(h.iterate(word))
    assert pairs == [(word[:p], word[p:]) for p in reversed(h.positions(word))]


def test_hyphenators_derive_from_hyphenators_and_pickle_with_every_step():
    liang = "\n".join("hy3ph he2n hen5at hena4 n2at 1na n1tio 2io o2n".split())
    own = quellix.Hyphenator("en-us", patterns=liang)
    assert own.pieces("hyphenation") == ["hy", "phen", "ation"]
    assert own.pieces("computer") == ["computer"]  # only the patterns given
    house = quellix.Hyphenator(own, exceptions=b"# a list file\nhyphena-tion\n", left=3)
    assert (house.pieces("hyphenation"), house.left, house.right) == (["hyphena", "tion"], 3, 3)
    assert own.pieces("hyphenation") == ["hy", "phen", "ation"]  # unchanged
    copy = pickle.loads(pickle.dumps(house))
    assert (copy.pieces("hyphenation"), copy.pieces("hyphen"), copy.left) == (["hyphena", "tion"], ["hyphen"], 3)
    # The state of quellix 0.8: (name, left, right, exceptions).
    old = quellix.Hyphenator.__new__(quellix.Hyphenator)
    old.__setstate__(("English_US", 3, None, ["hyphena-tion"]))
    assert old.pieces("hyphenation") == ["hyphena", "tion"]
    with pytest.raises(ValueError, match="patterns: not UTF-8"):
        quellix.Hyphenator("en-us", patterns=b"hy3ph\n\xff")


TEXT = ("Hyphenation of running text leaves www.example.org and UNESCO alone; the associate "
        "professor said \u00abhy\u00adphenation\u00bb. ") * 50


@pytest.mark.parametrize(
    "kwargs, same_as",
    [
        ({"left": 3, "right": 4}, lambda: quellix.hyphenate_text(TEXT, quellix.Hyphenator("en-us", left=3, right=4))),
        ({"threads": 2}, lambda: quellix.hyphenate_text(TEXT, "en-us")),
        ({"hyphen": b"|"}, lambda: quellix.hyphenate_text(TEXT, "en-us", "|")),
        ({"is_word_character": lambda c: False}, lambda: TEXT),
        ({"is_word_character": str.isalpha, "min_word_length": 3, "skip_urls": False, "skip_capitals": True},
         lambda: quellix.hyphenate_text(TEXT, "en-us", min_word_length=3, skip_urls=False, skip_capitals=True)),
    ],
)
def test_text_options(kwargs, same_as):
    assert quellix.hyphenate_text(TEXT, "en-us", **kwargs) == same_as()


@pytest.mark.parametrize(
    "kwargs, error, message",
    [
        ({"bogus": 1}, TypeError, "unexpected keyword argument 'bogus'"),
        ({"follow_lang": True}, TypeError, "unexpected keyword argument 'follow_lang'"),
        ({"threads": 0}, ValueError, "threads must be from 1 to 1024"),
        ({"left": "3"}, TypeError, "left must be an int, not str"),
        ({"is_word_character": 3}, TypeError, "is_word_character must be callable"),
        ({"is_word_character": lambda c: 1 / 0}, ZeroDivisionError, "division by zero"),
    ],
)
def test_text_options_refused(kwargs, error, message):
    with pytest.raises(error, match=re.escape(message)):
        quellix.hyphenate_text(TEXT, "en-us", **kwargs)


@pytest.mark.parametrize("html", [False, True])
@pytest.mark.parametrize("as_bytes", [False, True])
def test_a_text_given_in_chunks_hyphenates_as_the_whole(html, as_bytes):
    text = "<p lang='de'>Silbentrennung <b>associate</b></p> computers\u00e9\U0001F600 " * 40
    whole = (quellix.hyphenate_html if html else quellix.hyphenate_text)(text, "en-us", "|")
    data = text.encode() if as_bytes else text
    stream = quellix.TextHyphenator("en-us", "|", html=html)
    rng = random.Random(5)
    for _ in range(3):  # the object serves one text after another
        cuts = sorted(rng.sample(range(1, len(data)), 60))
        pieces = [stream.write(data[a:b]) for a, b in zip([0] + cuts, cuts + [len(data)])]
        out = (b"" if as_bytes else "").join(pieces) + stream.finish()
        assert out == (whole.encode() if as_bytes else whole)


def test_a_stream_keeps_to_one_type_and_starts_afresh_after_an_error():
    stream = quellix.TextHyphenator("en-us", "|")
    assert stream.write("hyphenation ") == "hy|phen|ation "
    with pytest.raises(TypeError, match="begun as str"):
        stream.write(b"bytes")
    stream.write("held")
    stream.reset()
    assert stream.write(b"hyphenation") + stream.finish() == b"hy|phen|ation"
    failing = quellix.TextHyphenator("en-us", "|", is_word_character=lambda c: 1 / 0)
    with pytest.raises(ZeroDivisionError):
        failing.write("x" * 5000)
    assert failing.write(b"") + failing.finish() == b""


def test_lang_values_that_name_no_language_are_reported_once():
    heard = []
    page = "<p lang=xx>hyphenation</p><p lang=' xx '>a</p><p lang=''>b</p><p lang=tlh>c</p>"
    out = quellix.hyphenate_html(page, "en-us", "|", unknown_lang=heard.append)
    assert out == page and heard == ["xx", "tlh"]
    heard.clear()
    stream = quellix.TextHyphenator("en-us", "|", html=True, unknown_lang=heard.append)
    assert stream.write(page[:20]) + stream.write(page[20:]) + stream.finish() == page
    stream.write(page)
    assert heard == ["xx", "tlh"]
    with pytest.raises(TypeError, match="unknown_lang must be callable"):
        quellix.hyphenate_html(page, "en-us", unknown_lang=1)


def test_calls_one_after_another_and_at_once_give_what_a_new_stream_gives():
    # hyphenate_text and hyphenate_html keep a built-in language's streams between calls:
    # nothing of one call may show in another, in any order of texts, options and threads.
    texts = ["", "hyphenation", "associate hyphenation ", "<p lang=de>Silbentrennung <b lang=xx>hyphenation",
             "<pre>hyphenation</pre> computers <span lang=", "e\u0301le\u0301ment hyphenation\u00ad &shy",
             "well-known NASA camelCase https://example.com/hyphenation <p lang=tlh>x", "x" * 70000 + " hyphenation"]
    variants = [{}, {"hyphen": "-"}, {"hyphen": "|", "min_word_length": 3, "skip_capitals": True},
                {"hyphen": "=", "skip_urls": False, "skip_soft_hyphenated": False}, {"left": 4}]
    langs = ["en-us", "de-1996", quellix.Hyphenator("en-us"), quellix.Hyphenator("en-us", exceptions=["hyphen-ation"])]

    def fresh(text, lang, html, kwargs):
        heard = []
        extra = {"unknown_lang": heard.append} if html else {}
        stream = quellix.TextHyphenator(lang, html=html, **kwargs, **extra)
        return stream.write(text) + stream.finish(), heard

    def kept(text, lang, html, kwargs):
        heard = []
        if html:
            return quellix.hyphenate_html(text, lang, unknown_lang=heard.append, **kwargs), heard
        return quellix.hyphenate_text(text, lang, **kwargs), heard

    rng = random.Random(24)
    cases = [(rng.randrange(len(texts)), rng.randrange(len(langs)), rng.random() < 0.5, rng.randrange(len(variants)))
             for _ in range(300)]
    expected = {case: fresh(texts[case[0]], langs[case[1]], case[2], variants[case[3]]) for case in set(cases)}
    assert expected[next(c for c in cases if c[0] == 1 and c[3] == 1 and c[1] == 0)][0] == "hy-phen-ation"
    # In random order, then grouped by language, markup and options: one kept stream after another.
    for case in cases + sorted(cases, key=lambda c: (c[1], c[2], c[3])):
        assert kept(texts[case[0]], langs[case[1]], case[2], variants[case[3]]) == expected[case], case
    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        results = list(pool.map(lambda case: kept(texts[case[0]], langs[case[1]], case[2], variants[case[3]]), cases))
    assert results == [expected[case] for case in cases]
