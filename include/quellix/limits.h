/* The limits on the texts callers give quellix to read: pattern texts, exception lists and
 * dictionaries, as files or held in memory. A text beyond them is refused with a message
 * naming what was too large; a file is checked while it is read, so that reading one that
 * never ends (/dev/zero) stops at the limit. The C and C++ interfaces, the quellix-hyphenate
 * tool and the Python and JavaScript packages all keep to these numbers. Plain C. */
#ifndef QUELLIX_LIMITS_H
#define QUELLIX_LIMITS_H

/* The most bytes such a text may hold: 8 MiB, eight times the largest pattern file or
 * dictionary in use (a pattern text this large takes some 250 MB to parse). */
#define QUELLIX_MAX_FILE_BYTES 8388608u

/* The most bytes one of its lines may hold, the line feed not counted: 4 KiB. A line holds
 * one word, one pattern or a few of them. */
#define QUELLIX_MAX_LINE_BYTES 4096u

#endif
