"""quellix.pyphen against pyphen (Debian's python3-pyphen, run side by side): pyphen's
documented examples, small dictionaries that reach each rule, LANGUAGES and
language_fallback, and (marked compare, a ctest of its own) every dictionary of the system
over Debian's word lists. Where pyphen is not installed, what needs it is skipped."""

import glob
import os
import random
import re
import subprocess
import sys

import pytest

import quellix
from quellix import pyphen as qp

SYSTEM = "/usr/share/hyphen"


def peer():
    return pytest.importorskip("pyphen", reason="pyphen (Debian: python3-pyphen) is not installed")


def system_pyphen(lang):
    if not isinstance(qp.LANGUAGES.get(lang), str):
        pytest.skip(f"the system has no dictionary for {lang} (Debian: hyphen-{lang[:2]})")
    return qp.Pyphen(lang=lang)


@pytest.mark.parametrize(
    "lang, call, expected",
    [
        ("nl_NL", lambda d: d.inserted("lettergrepen"), "let-ter-gre-pen"),
        ("nl_NL", lambda d: d.wrap("autobandventieldopje", 11), ("autoband-", "ventieldopje")),
        ("nl_NL", lambda d: list(d.iterate("Amsterdam")), [("Amster", "dam"), ("Am", "sterdam")]),
        ("nl_NL", lambda d: list(d("Amsterdam")), [("Amster", "dam"), ("Am", "sterdam")]),
        ("hu_HU", lambda d: d.inserted("kulissza"), "ku-lisz-sza"),
        ("hu_HU", lambda d: d.inserted("asszonnyal"), "asz-szony-nyal"),
        ("hu_HU", lambda d: [(p, p.data) for p in d.positions("KULISSZA")], [(2, None), (5, ("sz=", -1, 1))]),
        ("hu_HU", lambda d: d.inserted("KULISSZA"), "KU-LISZ-SZA"),
        ("hu_HU", lambda d: list(d.iterate("kulissza")), [("kulisz", "sza"), ("ku", "lissza")]),
        ("hu_HU", lambda d: d.wrap("kulissza", 7), ("kulisz-", "sza")),
        ("hu_HU", lambda d: d.wrap("kulissza", 2), None),
    ],
)
def test_pyphens_documented_examples(lang, call, expected):
    assert call(system_pyphen(lang)) == expected


# Small dictionaries, each reaching a rule: ties between patterns, changes of spelling with
# and without room, capitals, margins, NEXTLEVEL and keyword lines, repeated patterns.
SMALL = [
    (["f1f", "schif1fahrt/ff=f,5,2"], ["schiffahrt"]),
    (["f1f", "schif3fahrt/ff=f,5,2"], ["schiffahrt", "SCHIFFAHRT", "Schiffahrt", "schiffahrtschiffahrt"]),
    (["if1f/x=y,2,2", "f1fa/p=q,1,2"], ["schiffahrt"]),
    (["a1b", "a1bc/x=y,1,1"], ["abc", "zabc"]),
    (["a1bcd", "a1bc/x=y,1,1"], ["abcd"]),
    (["ab1c/x=y,1,3", "a1b"], ["abc", "zabcz"]),
    (["a1bc/x=y,2,2"], ["abc", "zabcz", "ABC", "Abc", "aBC"]),
    (["a1bc/x=,1,1", "a1bc/=x,2,1"], ["abc", "zabcz", "ABC"]),
    (["a1bc/x=y,1,1", "bc1d/p=q,2,1"], ["abcd"]),
    (["a1bc/xx=yy,1,3"], ["abc", "abcd"]),
    (["1ab", "b1c", "c1."], ["abc", "xabcx", "ab"]),
    (["a5b", "a4b"], ["ab", "xaby"]),
    (["LEFTHYPHENMIN 1", "NOHYPHEN -", "a1b", "NEXTLEVEL", "c1d", "a2b"], ["xxabcdxx", "ab-cd", "xab'cd"]),
    (["b1'", "'1c", "1-", "-1"], ["ab'cd", "ab-cd", "AB'CD"]),
    (["ä1b", "ß1s", "i1s"], ["äb", "ÄB", "ßs", "ẞS", "İs", "IS"]),
]


@pytest.mark.parametrize("lines, words", SMALL)
@pytest.mark.parametrize("left, right", [(1, 1), (2, 2), (0, 0)])
def test_small_dictionaries_divide_as_pyphen_divides(tmp_path, lines, words, left, right):
    pyphen = peer()
    path = tmp_path / "hyph_test.dic"
    path.write_text("UTF-8\n" + "\n".join(lines) + "\n", encoding="utf-8")
    theirs = pyphen.Pyphen(filename=str(path), left=left, right=right, cache=False)
    ours = qp.Pyphen(filename=path, left=left, right=right, cache=False)
    for word in words:
        assert results(ours, word) == results(theirs, word), word


def results(dictionary, word, width=4):
    positions = dictionary.positions(word)
    return ([(int(p), p.data) for p in positions], dictionary.inserted(word), dictionary.inserted(word, "=="),
            list(dictionary.iterate(word)), dictionary.wrap(word, width), dictionary.wrap(word, width + 2, hyphen=""))


def test_languages_names_the_systems_dictionaries_as_pyphen_does_and_builtin_languages_after():
    pyphen = peer()
    for name, path in pyphen.LANGUAGES.items():
        assert qp.LANGUAGES[name] == path
    added = {name: value for name, value in qp.LANGUAGES.items() if name not in pyphen.LANGUAGES}
    assert all(isinstance(value, quellix.Hyphenator) for value in added.values())
    assert {"la", "tr", "de_1996", "sr_Latn", "la_x_classic"} <= set(added)
    assert added["de_1996"].tag == "de-1996" and added["sr_Latn"].tag == "sh-latn"


@pytest.mark.parametrize("tag", ["en_FR", "nl_NL_variant1", "NL-nl", "en_US.UTF-8", "fr_FR@euro", "de__DE",
                                 "_de", "de_", "xx", "", "pt-Latn-BR", "es-ES", "de-AT-x", "SV"])
def test_language_fallback_gives_pyphens_name(tag):
    assert qp.language_fallback(tag) == peer().language_fallback(tag)


@pytest.mark.parametrize("tag, name", [("sr-Latn", "sr_Latn"), ("de-1996", "de_1996"), ("la-x-classic", "la_x_classic"),
                                       ("tr-TR", "tr"), ("zz", None)])
def test_language_fallback_finds_the_builtin_languages_too(tag, name):
    assert qp.language_fallback(tag) == name


def test_what_pyphen_refuses_quellix_pyphen_refuses(tmp_path):
    with pytest.raises(KeyError, match="no dictionary serves the language 'xx'"):
        qp.Pyphen(lang="xx")
    with pytest.raises(TypeError):
        qp.Pyphen()
    with pytest.raises(TypeError):
        qp.language_fallback(3)
    with pytest.raises(FileNotFoundError):
        qp.Pyphen(filename=tmp_path / "missing.dic")
    (tmp_path / "bad.dic").write_bytes(b"UTF-8\nab1c/\n")
    with pytest.raises(quellix.DictionaryError, match="bad.dic: line 2"):
        qp.Pyphen(filename=tmp_path / "bad.dic")


def test_a_program_adds_languages_and_a_dictionary_read_once_is_kept(tmp_path, monkeypatch):
    path = tmp_path / "hyph_zz_QQ.dic"
    path.write_text("UTF-8\na1b\n", encoding="utf-8")
    monkeypatch.setitem(qp.LANGUAGES, "zz_QQ", str(path))
    assert qp.Pyphen(lang="zz-qq-x", left=1, right=1).inserted("ab") == "a-b"
    path.write_text("UTF-8\nb1c\n", encoding="utf-8")
    assert qp.Pyphen(lang="zz_QQ", left=1, right=1).inserted("abc") == "a-bc"  # as read before
    assert qp.Pyphen(lang="zz_QQ", left=1, right=1, cache=False).inserted("abc") == "ab-c"
    monkeypatch.setitem(qp.LANGUAGES, "zz_QQ", quellix.Hyphenator("de-1996"))
    assert qp.Pyphen(lang="zz_QQ").inserted("Silbentrennung") == "Sil-ben-tren-nung"


def test_quellix_dictionaries_names_a_folder_of_more(tmp_path):
    (tmp_path / "hyph_zz_QQ.dic").write_text("UTF-8\na1b\n", encoding="utf-8")
    script = ("from quellix import pyphen\n"
              "print(pyphen.LANGUAGES['zz'] == pyphen.LANGUAGES['zz_QQ'], pyphen.Pyphen(lang='zz', left=1, right=1).inserted('ab'))")
    env = dict(os.environ, QUELLIX_DICTIONARIES=str(tmp_path))
    run = subprocess.run([sys.executable, "-c", script], env=env, capture_output=True, text=True, timeout=60)
    assert run.stdout == "True a-b\n", run.stderr


def test_positions_are_data_ints_as_pyphens():
    assert isinstance(qp.Pyphen(lang="la").positions("consuetudinem")[0], qp.DataInt)
    plain, changed = qp.DataInt(5), qp.DataInt(5, data=("sz=", -1, 1))
    assert (plain, plain.data, changed.data, changed == 5, changed + 1) == (5, None, ("sz=", -1, 1), True, 6)
    assert qp.DataInt(7, reference=changed).data == ("sz=", -1, 1)
    assert qp.DataInt(7, data="kept", reference=7).data == "kept"
    plain.data = "set"
    assert plain.data == "set" and qp.DataInt(5).data is None


# --------------------------------------------------------------------------------------
# Every dictionary of the system against pyphen over Debian's word lists and the words of
# the dictionary's own patterns (or words of its letters, where its patterns are single
# letters): every result the same, but for words
# that a pattern with a run of digits reaches ("5ab61la1ge", "mil12112211"), which pyphen
# reads one digit a boundary and quellix, as libhyphen, by the last digit of the run.

WORD_LISTS = {
    "en": ["american-english", "british-english"], "de": ["ngerman", "ogerman", "swiss"],
    "fr": ["french"], "nl": ["dutch"], "it": ["italian"], "es": ["spanish"], "pt_PT": ["portuguese"],
    "pt_BR": ["brazilian"], "ca": ["catalan"], "da": ["danish"], "sv": ["swedish"],
    "nb": ["bokmaal"], "nn": ["nynorsk"], "pl": ["polish"], "uk": ["ukrainian"], "bg": ["bulgarian"],
    "gl": ["galician-minimos"],
}
CODECS = {"UTF-8": "utf-8", "KOI8-R": "koi8_r", "microsoft-cp1251": "cp1251"}
WORDS_PER_DICTIONARY = 3000


def spread(words, count):
    return words[:: max(1, len(words) // count)][:count]


def dictionary_lines(path):
    raw = open(path, "rb").read()
    first = raw.split(b"\n", 1)[0].strip().decode("ascii")
    codec = CODECS.get(first, first.replace("ISO8859-", "iso8859_"))
    return [line.strip() for line in raw.decode(codec, "replace").splitlines()[1:]]


def pattern_words(lines):
    tokens = (line.split()[0].split("/")[0] for line in lines if line and line[0] not in "%#")
    return [w for w in (re.sub(r"[\d.]", "", t) for t in tokens) if len(w) > 1 and not w.isupper()]


def letter_words(lines, name, count=1000):
    """Words of 2 to 8 of the patterns' letters, for a dictionary whose patterns are single
    letters (Bengali, Hindi, ...), made the same on every run."""
    tokens = (line.split()[0].split("/")[0] for line in lines if line and line[0] not in "%#")
    letters = sorted({c for t in tokens for c in re.sub(r"[\d.]", "", t)})
    rng = random.Random(name)
    return ["".join(rng.choice(letters) for _ in range(rng.randint(2, 8))) for _ in range(count)] if letters else []


def listed_words(name):
    language = name if name in WORD_LISTS else name.split("_")[0]
    words = []
    for listed in WORD_LISTS.get(language, []):
        path = f"/usr/share/dict/{listed}"
        if os.path.exists(path):
            data = open(path, "rb").read()
            try:
                text = data.decode("utf-8")
            except UnicodeDecodeError:
                text = data.decode("latin-1")
            words += [w for w in text.split("\n") if w]
    return spread(words, WORDS_PER_DICTIONARY)


def digit_run_letters(lines):
    """The letters of the patterns that hold a run of digits."""
    tokens = (line.split()[0].split("/")[0] for line in lines if line and line[0] not in "%#")
    return [re.sub(r"\d", "", t) for t in tokens if re.search(r"\d\d", t)]


SYSTEM_DICTIONARIES = sorted({os.path.realpath(p) for p in glob.glob(f"{SYSTEM}/hyph_*.dic")})


@pytest.mark.compare
@pytest.mark.parametrize("path", SYSTEM_DICTIONARIES or [None], ids=os.path.basename)
def test_every_system_dictionary_divides_as_pyphen_divides(path):
    pyphen = peer()
    if path is None:
        pytest.skip(f"{SYSTEM} holds no dictionaries (Debian: hyphen-*)")
    name = os.path.basename(path)[len("hyph_"):-len(".dic")]
    lines = dictionary_lines(path)
    words = listed_words(name) + spread(pattern_words(lines), WORDS_PER_DICTIONARY // 2)
    if len(words) < 500:
        words += letter_words(lines, name)
    words += [w.upper() for w in words[:200]] + [w.capitalize() for w in words[200:400]]
    theirs, ours = pyphen.Pyphen(filename=path), qp.Pyphen(filename=path)
    runs = digit_run_letters(lines)
    differing = [w for w in words if results(ours, w) != results(theirs, w)]
    unexplained = [w for w in differing if not any(r.strip(".") in "." + w.lower() + "." for r in runs)]
    assert not unexplained, [(w, results(theirs, w)[0], results(ours, w)[0]) for w in unexplained[:5]]
    assert len(differing) <= len(words) // 500, differing[:10]
