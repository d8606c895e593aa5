/* The public header used from C, against the shared library, as a host
 * would use it: attach, open a sample document and walk it, build a
 * document of its own, save it and read it back. argv[1] is the folder of
 * the sample documents, argv[2] a folder to save into; the registered
 * template is the bundled one. */
#include <stdio.h>
#include <string.h>

#include "kuv/kuv.h"

static int failures = 0;

#define CHECK(condition)                                                      \
  do {                                                                        \
    if (!(condition)) {                                                       \
      fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); \
      ++failures;                                                             \
    }                                                                         \
  } while (0)

static void CheckDates(void) {
  char* text = NULL;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0;
  CHECK(KuvDateToString(2002, 10, 1, 14, 5, &text) == 1);
  CHECK(text != NULL && strcmp(text, "20021001T14:05:00000") == 0);
  CHECK(KuvStringToDate("20021001T14:05:00000", &year, &month, &day, &hour, &minute) == 1);
  CHECK(year == 2002 && month == 10 && day == 1 && hour == 14 && minute == 5);
}

/* The casing sample: two objects, the first with five casing strings and a
 * cement stage under the second of them. */
static void WalkSample(const char* folder) {
  char path[4096];
  char* message = NULL;
  char *id, *author, *version, *wellId, *date;
  char *table, *field, *type, *unit, *value, *parentTable;
  int row = -1, objects = 0, values = 0, cementValues = 0, lastCasingRow = -1;

  snprintf(path, sizeof path, "%s/kestrel3_casing_tops.kuv", folder);
  CHECK(KuvOpen(path, &message, 0) == 1);
  CHECK(message != NULL && message[0] == '\0');
  while (KuvGetNextObject(&id, &author, &version, &wellId, &date)) {
    ++objects;
    if (objects == 1) {
      CHECK(strcmp(id, "CasingStrings") == 0 && strcmp(author, "t.aasen") == 0);
      CHECK(strcmp(wellId, "KES-3") == 0 && strcmp(date, "20240318T14:05:00000") == 0);
      CHECK(KuvIsParent("CementStage", "Casing") == 1);
      CHECK(KuvIsParent("Casing", "CementStage") == 0);
    }
    while (KuvGetNextValue(&table, &field, &type, &unit, &value, &parentTable, &row)) {
      ++values;
      if (objects != 1) continue;
      if (strcmp(table, "CementStage") == 0) {
        ++cementValues;
        CHECK(strcmp(parentTable, "Casing") == 0);
      } else if (strcmp(field, "OD") == 0) {
        CHECK(strcmp(unit, "in") == 0 && strcmp(type, "float") == 0);
        lastCasingRow = row;
      }
    }
  }
  CHECK(objects == 2);
  CHECK(values == 109);
  CHECK(cementValues > 0);
  CHECK(lastCasingRow == 4);

  snprintf(path, sizeof path, "%s/no such file.kuv", folder);
  CHECK(KuvOpen(path, &message, 0) == 0);
  CHECK(strncmp(message, "Error : Failed to open input file.: ", 36) == 0);
}

/* Builds one object with a child table, refuses texts a document cannot
 * hold, saves, and reads the saved file back. */
static void BuildAndSave(const char* folder) {
  char path[4096];
  char* message = NULL;
  char** names = NULL;
  char *id, *author, *version, *wellId, *date;
  char *table, *field, *type, *unit, *value, *parentTable;
  int count = -1, row = -1, values = 0;

  snprintf(path, sizeof path, "%s/c_api_built.kuv", folder);
  CHECK(KuvOpen(path, &message, 0) == 0); /* not there yet: an empty store */
  CHECK(KuvObjectList(&names, &count) == 1 && count == 0);

  CHECK(KuvCreateObject("Pipe", "O'Neil", "1", "W-1") == 0); /* the apostrophe ends it */
  CHECK(KuvCreateObject("Pipe", "ann", "1", "W-1") == 1);
  CHECK(KuvCreateObject("Pipe", "ann", "1", "W-1") == 0); /* taken */
  CHECK(KuvCreateTableDef("Joint", "") == 1);
  CHECK(KuvCreateTableDef("Thread", "Joint") == 1);
  CHECK(KuvCreateTableDef("Orphan", "Nowhere") == 0);
  CHECK(KuvCreateFieldDef("Joint", "Length", "m", "float") == 1);
  CHECK(KuvCreateFieldDef("Joint", "Length", "ft", "float") == 0); /* the first stays */
  CHECK(KuvCreateFieldDef("Thread", "Kind", "", "string") == 1);

  CHECK(KuvPutValue("Thread", "Kind", "first") == 0); /* its parent is not open */
  CHECK(KuvPutValue("Joint", "Length", "12.5") == 1);
  CHECK(KuvPutValue("Thread", "Kind", "A<B") == 0); /* "<" would start a tag */
  CHECK(KuvPutValue("Thread", "Kind", "box & pin, \"API\"") == 1);
  CHECK(KuvPutValue("Joint", "Length", "11.9") == 1);

  CHECK(KuvSave(path, &message) == 1);
  CHECK(message != NULL && message[0] == '\0');

  CHECK(KuvOpen(path, &message, 1) == 1);
  CHECK(KuvObjectExists("Pipe") == 1 && KuvObjectExists("pipe") == 0);
  CHECK(KuvGetNextObject(&id, &author, &version, &wellId, &date) == 1);
  CHECK(strcmp(author, "ann") == 0 && strlen(date) == 20);
  while (KuvGetNextValue(&table, &field, &type, &unit, &value, &parentTable, &row)) {
    ++values;
    if (values == 2) {
      CHECK(strcmp(table, "Thread") == 0 && strcmp(value, "box & pin, \"API\"") == 0);
    }
    if (values == 3) CHECK(strcmp(value, "11.9") == 0 && row == 1);
  }
  CHECK(values == 3);
  /* The kept file is let go for the save onto itself. */
  CHECK(KuvDeleteObject("Pipe") == 1);
  CHECK(KuvSave(path, &message) == 1);
  remove(path);
}

/* What the format could not give back is refused: a tab in a name or a
 * unit, a table that would hang under a row without values, and a save of
 * a document read leniently into a tree it cannot write back. */
static void Refusals(const char* folder) {
  char path[4096];
  char* message = NULL;
  static const char lenient[] =
      "<?xml version='1.0'?>\n<KUV Version='2.0'>\n"
      "<BusinessObject ID='Tops' Author='a' Version='1' WellID='w' Date='d'>\n<Top>\n"
      "<Name>Brent</Name>\n<Formation kind='x'>Brent</Formation>\n<MD>2100</MD>\n</Top>\n"
      "</BusinessObject>\n</KUV>\n";
  const char* expected =
      ": object 'Tops', table 'Top' > '/Formation': the table name begins with "
      "'/', so its tag would be read as a closing tag";
  char expectedMessage[8192];
  FILE* file;

  CHECK(KuvCreateObject("Tabs", "", "", "") == 1);
  CHECK(KuvCreateTableDef("T", "") == 1);
  CHECK(KuvCreateTableDef("X\tY", "") == 0);
  CHECK(KuvCreateFieldDef("T", "Depth", "m\tMD", "float") == 0);
  CHECK(KuvCreateFieldDef("T", "De\tpth", "m", "float") == 0);
  CHECK(KuvCreateTableDef("A", "") == 1 && KuvCreateTableDef("B", "A") == 1);
  CHECK(KuvCreateTableDef("C", "A") == 1);
  CHECK(KuvCreateFieldDef("A", "a1", "", "") == 1 && KuvCreateFieldDef("B", "b1", "", "") == 1);
  CHECK(KuvCreateFieldDef("C", "c1", "", "") == 1);
  CHECK(KuvPutValue("A", "a1", "1") == 1 && KuvPutValue("B", "b1", "2") == 1);
  CHECK(KuvPutValue("C", "c1", "3") == 0); /* under a new row of A without values */
  CHECK(KuvPutValue("A", "a1", "4") == 1 && KuvPutValue("C", "c1", "5") == 1);

  snprintf(path, sizeof path, "%s/lenient.kuv", folder);
  file = fopen(path, "wb");
  CHECK(file != NULL);
  if (file == NULL) return;
  fputs(lenient, file);
  fclose(file);
  CHECK(KuvOpen(path, &message, 0) == 1);
  CHECK(KuvSave(path, &message) == 0);
  snprintf(expectedMessage, sizeof expectedMessage, "Error : Error opening file for save.: %s%s",
           path, expected);
  CHECK(message != NULL && strcmp(message, expectedMessage) == 0);
  file = fopen(path, "rb");
  CHECK(file != NULL);
  if (file != NULL) {
    char bytes[sizeof lenient] = {0};
    CHECK(fread(bytes, 1, sizeof bytes, file) == sizeof lenient - 1);
    CHECK(strcmp(bytes, lenient) == 0); /* as it was */
    fclose(file);
  }
  remove(path);
}

int main(int argc, char** argv) {
  char* message = NULL;
  CheckDates();
  CHECK(KuvOpen("x", &message, 0) == 0); /* not attached yet */
  /* Without folders (where no template can be registered beforehand) only
   * what needs no attachment is checked. */
  if (argc == 3) {
    CHECK(KuvAttach(&message) == 1);
    CHECK(message != NULL && message[0] == '\0');
    CHECK(KuvAttach(&message) == 0 && strcmp(message, "Already Attached") == 0);
    WalkSample(argv[1]);
    BuildAndSave(argv[2]);
    Refusals(argv[2]);
  }
  CHECK(KuvDetach() == 1);
  CHECK(KuvDetach() == 1);

  if (failures == 0) printf("C interface: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
