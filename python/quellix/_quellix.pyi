"""The compiled core of quellix; import it through the quellix package."""

import os
from typing import Callable, Iterable, Iterator, List, Optional, Tuple, TypeVar, Union

_Text = TypeVar("_Text", str, bytes)

__version__: str

class Error(Exception):
    """Base class of quellix's errors."""

class UnknownLanguageError(Error, LookupError):
    """No built-in language has the tag given."""

class DataError(Error):
    """A language's embedded data is missing or damaged."""

class ScoreError(Error, ValueError):
    """A word cannot be divided with the margins given (a left margin of 0 or less)."""

class DictionaryError(Error, ValueError):
    """A libhyphen dictionary is malformed."""

class Hyphenator:
    """Divides the words of one built-in language or libhyphen dictionary. Immutable and
    thread-safe."""

    def __init__(
        self,
        lang: Union[str, "Hyphenator"],
        left: Optional[int] = None,
        right: Optional[int] = None,
        exceptions: Union[Iterable[str], bytes, None] = None,
        *,
        patterns: Union[str, bytes, None] = None,
    ) -> None:
        """A hyphenator for the language tagged ``lang`` ("en-us" or "English_US"), or derived
        from the Hyphenator ``lang``: with ``patterns`` (a pattern text) in place of its
        patterns, ``exceptions`` entries ("as-so-ciate", or the bytes of a list file) in place
        of its own for the same words, and the margins ``left``/``right`` when given.

        Raises UnknownLanguageError for a tag no language has, ValueError for patterns or
        exception words the library cannot read."""
    @staticmethod
    def from_dictionary(path: Union[str, bytes, "os.PathLike[str]"]) -> "Hyphenator":
        """The hyphenator of the libhyphen dictionary (hyph_*.dic) at path. Raises OSError when
        it cannot be read, ValueError beyond 8 MiB or 4 KiB a line, DictionaryError when it is
        malformed."""
    @staticmethod
    def from_dictionary_bytes(data: bytes, source: str = "dictionary") -> "Hyphenator":
        """As from_dictionary, for a dictionary file's contents; source names it in messages."""
    @property
    def language(self) -> Optional[str]:
        """The built-in language's name, such as "English_US"; None for a dictionary's."""
    @property
    def tag(self) -> Optional[str]:
        """The built-in language's tag, such as "en-us"; None for a dictionary's."""
    @property
    def dictionary(self) -> Optional[str]:
        """The path (or source name) of the dictionary read; None for a built-in language's."""
    @property
    def left(self) -> int:
        """The left margin in characters."""
    @property
    def right(self) -> int:
        """The right margin in characters."""
    def pieces(self, word: str) -> List[str]:
        """The word cut at its permitted breaks; the pieces join to ``word``.
        Raises ScoreError with a left margin of 0 or less for a word the tables cannot score."""
    def pieces_with_changes(self, word: str) -> List[str]:
        """The word cut at every break, those that change the spelling with their change
        (["schiff", "fahrt"]); for a built-in language, pieces(). Raises as pieces()."""
    def positions(self, word: str) -> List[int]:
        """The break positions as character offsets, ascending. Raises as pieces()."""
    def inserted(self, word: str, hyphen: str = "-") -> str:
        """The word with ``hyphen`` at each break. Raises as pieces()."""
    def iterate(self, word: str) -> Iterator[Tuple[str, str]]:
        """(first, rest) for each break, from the last break to the first. Raises as pieces()."""
    def wrap(self, word: str, width: int, hyphen: str = "-") -> Optional[Tuple[str, str]]:
        """(first + hyphen, rest) for the longest first part that fits ``width`` characters
        with the hyphen; None when none does. Raises as pieces()."""

def hyphenate_text(
    text: _Text,
    lang: Union[str, Hyphenator],
    hyphen: Union[str, bytes] = "\u00ad",
    *,
    min_word_length: int = 5,
    skip_soft_hyphenated: bool = True,
    skip_capitals: bool = False,
    skip_urls: bool = True,
    left: Optional[int] = None,
    right: Optional[int] = None,
    is_word_character: Optional[Callable[[str], bool]] = None,
    threads: int = 1,
) -> _Text:
    """``text`` with ``hyphen`` at every permitted break of every word; nothing else changes. UTF-8 bytes give
    bytes, with bytes that are not UTF-8 kept.
    Raises TypeError (an unknown keyword), UnknownLanguageError, DataError, UnicodeEncodeError (lone surrogates)."""

def hyphenate_html(
    html: _Text,
    lang: Union[str, Hyphenator],
    hyphen: Union[str, bytes] = "\u00ad",
    *,
    min_word_length: int = 5,
    skip_soft_hyphenated: bool = True,
    skip_capitals: bool = False,
    skip_urls: bool = True,
    left: Optional[int] = None,
    right: Optional[int] = None,
    is_word_character: Optional[Callable[[str], bool]] = None,
    threads: int = 1,
    follow_lang: bool = True,
    unknown_lang: Optional[Callable[[str], None]] = None,
) -> _Text:
    """As hyphenate_text, for the text content of HTML only (markup, references, script,
    style, textarea, title, pre and code are kept). Each element's text is divided in the
    language its lang attribute names; follow_lang=False divides all of it with ``lang``.
    unknown_lang is called with each lang value that names no language this build has (its
    text is left undivided), each value once, after the text is divided."""

class TextHyphenator:
    """One text given in chunks, hyphenated as hyphenate_text (html=True: hyphenate_html)
    would the whole; memory stays bounded."""

    def __init__(
        self,
        lang: Union[str, Hyphenator],
        hyphen: Union[str, bytes] = "\u00ad",
        *,
        min_word_length: int = 5,
        skip_soft_hyphenated: bool = True,
        skip_capitals: bool = False,
        skip_urls: bool = True,
        left: Optional[int] = None,
        right: Optional[int] = None,
        is_word_character: Optional[Callable[[str], bool]] = None,
        threads: int = 1,
        html: bool = False,
        follow_lang: bool = True,
        unknown_lang: Optional[Callable[[str], None]] = None,
    ) -> None:
        """Takes hyphenate_text's keywords, html=True for HTML, and hyphenate_html's
        unknown_lang (each value once in the object's life, at the end of the write() or
        finish() that met it)."""
    def write(self, chunk: _Text) -> _Text:
        """The next chunk; returns what can be decided so far (str or bytes, as the chunks)."""
    def finish(self) -> Union[str, bytes]:
        """Ends the text: returns the rest, and makes the object ready for a new text."""
    def reset(self) -> None:
        """Forgets what is held back and starts a new text."""

def _languages() -> List[Tuple[str, str, int, int, List[str], bool]]: ...
def _licence(lang: str) -> str: ...
def _own_licence() -> str: ...
def _stated_licences() -> List[Tuple[str, str]]: ...
def _close_tags(tag: str) -> List[str]: ...
def _find_language(tag: str) -> Optional[str]: ...
def _printable(text: Union[str, bytes]) -> str: ...

class _PyphenFace:
    """The compiled half of a quellix.pyphen.Pyphen."""

    def __init__(self, hyphenator: Hyphenator, left: int, right: int, data_int: type) -> None: ...
    def positions(self, word: str) -> List[int]: ...
    def inserted(self, word: str, hyphen: str) -> str: ...
    def pairs(self, word: str) -> List[Tuple[str, str]]: ...
    def wrap(self, word: str, width: Union[int, float], hyphen: str) -> Optional[Tuple[str, str]]: ...
