/* Compiled with -std=c99 and -std=c11 -pedantic-errors: the C header and everything it
 * includes must be plain ISO C. */
#include "quellix/quellix.h"

int main(void) {
  quellix_text_options options = quellix_text_options_default();
  return options.hyphen == NULL;
}
