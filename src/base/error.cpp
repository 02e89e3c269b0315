#include "quellix/error.hpp"

namespace quellix {

// Out-of-line destructors anchor each class's vtable and type info in the library, so
// that catch clauses in callers match the library's exception types.
Error::~Error() = default;
ScoreError::~ScoreError() = default;
PatternLookupError::~PatternLookupError() = default;
LanguageRangeError::~LanguageRangeError() = default;
DataFileError::~DataFileError() = default;
DecompressionError::~DecompressionError() = default;
ArgumentError::~ArgumentError() = default;
DictionaryError::~DictionaryError() = default;
FileError::~FileError() = default;

}  // namespace quellix
