#include "well_documents.h"

#include "tool_test_fixture.h"

namespace kuv::tool {

namespace {

std::string Header(const std::string& id, int well) {
  return "<BusinessObject ID='" + id + "' Author='gen' Version='1' WellID='W-" +
         std::to_string(well) + "' Date='20240101T00:00:00000'>\n";
}

}  // namespace

std::string WellDocument(int well, int samples) {
  std::string bytes = "<?xml version='1.0'?>\n<KUV Version='2.0'>\n";
  bytes += Header("WellHeader", well) +
           "<DataDescription>\n<TableDef Table='Well'/>\n"
           "<FieldDef Table='Well' Field='Name' Unit='' Type='string'/>\n"
           "<FieldDef Table='Well' Field='Depth' Unit='m' Type='float'/>\n</DataDescription>\n"
           "<Well>\n<Name>Well " +
           std::to_string(well) + "</Name>\n<Depth>" + std::to_string(1000 + 250 * well) +
           ".0</Depth>\n</Well>\n</BusinessObject>\n";
  bytes += Header("Casing", well) +
           "<DataDescription>\n<TableDef Table='Casing'/>\n"
           "<TableDef Table='CementStage' Parent='Casing'/>\n"
           "<FieldDef Table='Casing' Field='Name' Unit='' Type='string'/>\n"
           "<FieldDef Table='Casing' Field='Bottom' Unit='m' Type='float'/>\n"
           "<FieldDef Table='CementStage' Field='Stage' Unit='' Type='int'/>\n"
           "</DataDescription>\n<Casing>\n";
  const char* const names[] = {"Surface", "Intermediate", "Production"};
  for (int i = 0; i < 3; ++i) {
    bytes += "<Name>" + std::string(names[i]) + "</Name>\n<Bottom>" +
             std::to_string((i + 1) * (600 + 100 * well)) + ".00</Bottom>\n<CementStage>\n";
    for (int stage = 1; stage <= i + 1; ++stage) {
      bytes += "<Stage>" + std::to_string(stage) + "</Stage>\n";
    }
    bytes += "</CementStage>\n";
  }
  bytes += "</Casing>\n</BusinessObject>\n";
  bytes += Header("Log", well) +
           "<DataDescription>\n<TableDef Table='Sample'/>\n"
           "<FieldDef Table='Sample' Field='DEPT' Unit='m' Type='float'/>\n"
           "<FieldDef Table='Sample' Field='GR' Unit='gAPI' Type='float'/>\n"
           "</DataDescription>\n<Sample>\n";
  for (int row = 0; row < samples; ++row) {
    const std::string gr = row % 97 == 5   ? "-999.25"
                           : row % 89 == 7 ? "n/a"
                                           : std::to_string((row * 7 + well) % 150) + ".5";
    bytes += "<DEPT>" + std::to_string(100 + row) + ".0</DEPT>\n<GR>" + gr + "</GR>\n";
    // Wells after the first log a curve more.
    if (well > 1) bytes += "<RT>" + std::to_string(row % 20) + ".25</RT>\n";
  }
  bytes += "</Sample>\n</BusinessObject>\n</KUV>\n";
  return bytes;
}

std::vector<std::string> WriteWellDocuments(const std::string& folder, int count,
                                            int samplesPerWell) {
  std::vector<std::string> paths;
  for (int well = 1; well <= count; ++well) {
    paths.push_back(folder + "/well" + std::to_string(well) + ".kuv");
    WriteFile(paths.back(), WellDocument(well, samplesPerWell * well));
  }
  return paths;
}

}  // namespace kuv::tool
