"""The compiled core of quellix; import it through the quellix package."""

from typing import Iterable, List, Optional, Tuple, TypeVar, Union

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

class Hyphenator:
    """Divides the words of one built-in language. Immutable and thread-safe."""

    def __init__(
        self,
        lang: str,
        left: Optional[int] = None,
        right: Optional[int] = None,
        exceptions: Optional[Iterable[str]] = None,
    ) -> None:
        """A hyphenator for the language tagged ``lang`` ("en-us" or "English_US"), with the
        language's margins unless ``left``/``right`` are given, and ``exceptions`` entries
        ("as-so-ciate") in place of the language's own for the same words.

        Raises UnknownLanguageError for a tag no language has."""
    @property
    def language(self) -> str:
        """The language's name, such as "English_US"."""
    @property
    def tag(self) -> str:
        """The language's tag, such as "en-us"."""
    @property
    def left(self) -> int:
        """The left margin in characters."""
    @property
    def right(self) -> int:
        """The right margin in characters."""
    def pieces(self, word: str) -> List[str]:
        """The word cut at its permitted breaks; the pieces join to ``word``.
        Raises ScoreError with a left margin of 0 or less for a word the tables cannot score."""
    def positions(self, word: str) -> List[int]:
        """The break positions as character offsets, ascending. Raises as pieces()."""
    def inserted(self, word: str, hyphen: str = "-") -> str:
        """The word with ``hyphen`` at each break. Raises as pieces()."""

def hyphenate_text(
    text: _Text,
    lang: Union[str, Hyphenator],
    hyphen: str = "\u00ad",
    *,
    min_word_length: int = 5,
    skip_soft_hyphenated: bool = True,
    skip_capitals: bool = False,
    skip_urls: bool = True,
) -> _Text:
    """``text`` with ``hyphen`` at every permitted break of every word; nothing else changes. UTF-8 bytes give
    bytes, with bytes that are not UTF-8 kept.
    Raises UnknownLanguageError, DataError, UnicodeEncodeError (lone surrogates)."""

def hyphenate_html(
    html: _Text,
    lang: Union[str, Hyphenator],
    hyphen: str = "\u00ad",
    *,
    min_word_length: int = 5,
    skip_soft_hyphenated: bool = True,
    skip_capitals: bool = False,
    skip_urls: bool = True,
    follow_lang: bool = True,
) -> _Text:
    """As hyphenate_text, for the text content of HTML only (markup, references, script,
    style, textarea, title, pre and code are kept). Each element's text is divided in the
    language its lang attribute names; follow_lang=False divides all of it with ``lang``."""

def _languages() -> List[Tuple[str, str, int, int]]: ...
