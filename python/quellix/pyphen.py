"""pyphen's interface on quellix: a program written for pyphen 0.13 changes one import,

    from quellix import pyphen        # in place of: import pyphen

and keeps its code: ``Pyphen(filename=None, lang=None, left=2, right=2, cache=True)`` with
``positions``, ``iterate``, ``wrap`` and ``inserted``; ``LANGUAGES`` and
``language_fallback``. Results are pyphen's for the same dictionary and arguments, words
are looked up in small letters as pyphen does, and a break that changes the spelling
(Hungarian ``kulissza`` -> ``ku-lisz-sza``) is given as pyphen gives it.

    >>> from quellix import pyphen
    >>> pyphen.Pyphen(lang="en_US").inserted("hyphenation")
    'hy-phen-ation'

``LANGUAGES`` maps pyphen's names (``"nl_NL"``, ``"hu"``, ...) to the system's
dictionaries (``/usr/share/hyphen/hyph_*.dic``, read with quellix's reader of libhyphen's
format, as pyphen reads them), and the names no system dictionary takes to quellix's
built-in languages (``"la"``, ``"tr"``, ``"de_1996"``: their values are quellix.Hyphenator
objects). A program may add its own entries, paths or Hyphenators.
"""

import os
import re

from . import _quellix
from ._quellix import Hyphenator

__all__ = ("Pyphen", "LANGUAGES", "language_fallback")

# Where the system's dictionaries are: Debian's folder, then the one $QUELLIX_DICTIONARIES
# names, as quellix-hyphenate --list-dictionaries lists them.
DICTIONARY_FOLDERS = ["/usr/share/hyphen"] + (
    [os.environ["QUELLIX_DICTIONARIES"]] if os.environ.get("QUELLIX_DICTIONARIES") else [])

_DICTIONARY_NAME = re.compile(r"hyph_(.+)\.dic")


class DataInt(int):
    """An int position with a ``data`` attribute: None for a break that keeps the spelling,
    ``(change, offset, cut)`` for one that changes it (``("sz=", -1, 1)``: from the
    character before the break, 1 character is written ``sz``, the line ending there)."""

    data = None

    def __new__(cls, value, data=None, reference=None):
        obj = super().__new__(cls, value)
        if isinstance(reference, DataInt):
            data = reference.data
        if data is not None:
            obj.data = data
        return obj


def _pyphen_name(tag):
    """A quellix tag as pyphen would name its dictionary: "en-us" -> "en_US",
    "zh-latn-pinyin" -> "zh_Latn_pinyin"."""
    first, *rest = tag.split("-")
    parts = [first.lower()]
    for part in rest:
        if len(part) == 2 and part.isalpha():
            part = part.upper()
        elif len(part) == 4 and part.isalpha():
            part = part.title()
        parts.append(part)
    return "_".join(parts)


def _languages():
    """The system's dictionaries by name as pyphen names them (hyph_nl_NL.dic: "nl_NL",
    and "nl" for the first file of the language), then the built-in languages under the
    names left free."""
    languages = {}
    for folder in DICTIONARY_FOLDERS:
        try:
            filenames = sorted(os.listdir(folder))
        except OSError:
            continue
        for filename in filenames:
            match = _DICTIONARY_NAME.fullmatch(filename)
            if match and match.group(1) not in languages:
                languages[match.group(1)] = os.path.join(folder, filename)
                languages.setdefault(match.group(1).split("_")[0], languages[match.group(1)])
    for name, tag, _, _, aliases, built_in in _quellix._languages():
        if not built_in:
            continue
        hyphenator = Hyphenator(tag)
        # The library's own short names ("de" for de-1996, "mn" for mn-cyrl) are the
        # shortenings that name one language only.
        for pyphen_name in [_pyphen_name(tag), *map(_pyphen_name, aliases)]:
            languages.setdefault(pyphen_name, hyphenator)
    return languages


LANGUAGES = _languages()

_loaded = {}  # dictionaries read with cache=True, by path


def language_fallback(language):
    """The name in LANGUAGES that serves language, or None: the tag is taken with "-" as
    "_" and without regard to letter case, and its last parts are dropped until a name
    matches ("en_FR" -> "en", "nl-NL-variant" -> "nl_NL"), as pyphen does."""
    if not isinstance(language, str):
        raise TypeError(f"language must be a str, not {type(language).__name__}")
    names = {name.lower(): name for name in LANGUAGES}
    parts = language.replace("-", "_").lower().split("_")
    while parts:
        name = names.get("_".join(parts))
        if name is not None:
            return name
        parts.pop()
    return None


def _dictionary(source, cache):
    """The Hyphenator that source (a quellix.Hyphenator, or a .dic file's path) stands for."""
    if isinstance(source, Hyphenator):
        return source
    path = os.fsdecode(os.fspath(source))
    if cache and path in _loaded:
        return _loaded[path]
    hyphenator = Hyphenator.from_dictionary(path)
    if cache:
        _loaded[path] = hyphenator
    return hyphenator


class Pyphen:
    """Divides the words of one dictionary, as pyphen.Pyphen does.

    Args:
        filename: a libhyphen dictionary (hyph_*.dic) to read, or a quellix.Hyphenator.
        lang: a language looked up in LANGUAGES with language_fallback, when no filename
            is given.
        left, right: the fewest characters before the first break and after the last.
        cache: when true, a dictionary read once is kept and shared; when false, the file
            is read again.

    Raises:
        KeyError: no name in LANGUAGES serves lang.
        quellix.Error: the dictionary cannot be read (OSError-like faults included), with
            a message naming the file, the line and the byte.
    """

    def __init__(self, filename=None, lang=None, left=2, right=2, cache=True):
        if filename is None:
            if lang is None:
                raise TypeError("Pyphen() needs a filename or a lang")
            name = language_fallback(lang)
            if name is None:
                raise KeyError(f"no dictionary serves the language '{_quellix._printable(lang)}'")
            filename = LANGUAGES[name]
        self.left = left
        self.right = right
        self._face = _quellix._PyphenFace(_dictionary(filename, cache), left, right, DataInt)
        if type(self) is Pyphen:
            # The compiled methods themselves, without a Python call in between: a third
            # faster for a word. A subclass keeps the methods it defines.
            self.positions = self._face.positions
            self.wrap = self._face.wrap
            self.inserted = self._face.inserted

    def positions(self, word):
        """The positions where word can be divided, ascending, as DataInt values (a change
        of spelling in their data). Breaks closer to the ends than left and right are left
        out."""
        return self._face.positions(word)

    def iterate(self, word):
        """The ways to divide word in two, (first, rest), from the last break to the first."""
        yield from self._face.pairs(word)

    __call__ = iterate

    def wrap(self, word, width, hyphen="-"):
        """(first part with hyphen, rest) for the longest first part that fits width
        characters with the hyphen; None when no break gives one that short."""
        return self._face.wrap(word, width, hyphen)

    def inserted(self, word, hyphen="-"):
        """word with hyphen at every break: "let-ter-gre-pen"."""
        return self._face.inserted(word, hyphen)
