/* The public header used from C, against the shared library, as a host
 * would use it. argv[1] is the folder of the sample documents. */
#include <stdio.h>
#include <string.h>

#include "kuv/kuv.h"

static int failures = 0;

#define CHECK(condition)                                           \
  do {                                                             \
    if (!(condition)) {                                            \
      fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                  \
    }                                                              \
  } while (0)

int main(int argc, char** argv) {
  char* text = NULL;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  (void)argc;
  (void)argv;

  CHECK(KuvDateToString(2002, 10, 1, 14, 5, &text) == 1);
  CHECK(text != NULL && strcmp(text, "20021001T14:05:00000") == 0);
  CHECK(KuvStringToDate("20021001T14:05:00000", &year, &month, &day, &hour, &minute) == 1);
  CHECK(year == 2002 && month == 10 && day == 1 && hour == 14 && minute == 5);
  CHECK(KuvDetach() == 1);
  CHECK(KuvDetach() == 1);

  if (failures == 0) printf("C interface: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
