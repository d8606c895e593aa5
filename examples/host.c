/* A short host of the kuv library: attaches, opens the document named on
 * the command line and prints every value of every business object.
 *
 * The library finds its template through the registered path (run
 * "kuv template" to see it); register one before running this host. */
#include <stdio.h>

#include <kuv/kuv.h>

int main(int argc, char** argv) {
  char* message = NULL;
  char *id, *author, *version, *wellId, *date;
  char *table, *field, *type, *unit, *value, *parentTable;
  int row = 0;

  if (argc != 2) {
    fprintf(stderr, "usage: %s DOCUMENT\n", argv[0]);
    return 2;
  }
  if (!KuvAttach(&message)) {
    fprintf(stderr, "cannot attach: %s\n", message != NULL ? message : "");
    return 1;
  }
  if (!KuvOpen(argv[1], &message, 0)) {
    fprintf(stderr, "%s\n", message);
    KuvDetach();
    return 1;
  }
  while (KuvGetNextObject(&id, &author, &version, &wellId, &date)) {
    /* Returned strings live in shared slots: print them before the next
     * call overwrites them. */
    printf("%s (well %s, %s)\n", id, wellId, date);
    while (KuvGetNextValue(&table, &field, &type, &unit, &value, &parentTable, &row)) {
      printf("  %s%s%s row %d: %s = %s %s\n", parentTable, *parentTable ? "/" : "", table,
             row + 1, field, value, unit);
    }
  }
  KuvDetach();
  return 0;
}
