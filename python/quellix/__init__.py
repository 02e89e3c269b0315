"""quellix: word division with Liang's patterns, the method TeX uses, for 73 languages.

The hyph-utf8 patterns of every language are carried inside the compiled module, so
nothing is read from disk unless asked (``Hyphenator.from_dictionary`` reads the libhyphen
dictionaries of /usr/share/hyphen)::

    >>> import quellix
    >>> quellix.Hyphenator("en-us").pieces("hyphenation")
    ['hy', 'phen', 'ation']
    >>> quellix.hyphenate_text("Hyphenation of running text.", "en-us", hyphen="|")
    'Hy|phen|ation of run|ning text.'

``quellix.pyphen`` offers pyphen's interface on top of it. Every function is thread-safe
and releases the GIL while it divides.
"""

import typing as _typing

from . import _quellix
from ._quellix import (
    DataError,
    DictionaryError,
    Error,
    Hyphenator,
    ScoreError,
    TextHyphenator,
    UnknownLanguageError,
    __version__,
    hyphenate_html,
    hyphenate_text,
)

__all__ = [
    "DataError",
    "DictionaryError",
    "Error",
    "Hyphenator",
    "Language",
    "ScoreError",
    "TextHyphenator",
    "UnknownLanguageError",
    "__version__",
    "hyphenate_html",
    "hyphenate_text",
    "languages",
]


class Language(_typing.NamedTuple):
    """One built-in language: its name, its tag and its default margins."""

    name: str
    """The library's name for it, such as ``"English_US"``."""
    tag: str
    """The hyph-utf8 tag naming its data, such as ``"en-us"``; accepted wherever a language is."""
    left: int
    """The fewest characters before the first break."""
    right: int
    """The fewest characters after the last break."""


def languages() -> "list[Language]":
    """The 73 built-in languages, ordered by name (English_US before English_GB)."""
    return [Language(*row[:4]) for row in _quellix._languages()]


del _typing
