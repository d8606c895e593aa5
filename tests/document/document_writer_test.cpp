// Writing a document an object at a time gives the bytes of the whole.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "kuv/document.hpp"

namespace {

constexpr const char* kTwoObjects =
    "<?xml version='1.0'?>\n<KUV Version='2.0'>\n"
    "<BusinessObject ID='A' Author='x' Version='1' WellID='W' Date='20021001T14:05:00000'>\n"
    "<DataDescription>\n<TableDef Table='T'/>\n"
    "<FieldDef Table='T' Field='f' Unit='m' Type='float'/>\n</DataDescription>\n"
    "<T>\n<f>1\r\n2</f>\n</T>\n</BusinessObject>\n"
    "<BusinessObject ID='A' Author='y' Version='2' WellID='' Date='20021001T14:05:00000'>\n"
    "<DataDescription>\n</DataDescription>\n</BusinessObject>\n</KUV>\n";

TEST(DocumentWriter, ObjectsFromSeveralDocumentsWriteTheWhole) {
  const kuv::Document whole = kuv::Document::Parse(kTwoObjects);
  std::ostringstream expected;
  whole.Write(expected);

  std::ostringstream streamed;
  kuv::DocumentWriter writer(streamed);
  for (std::size_t i = 0; i < whole.size(); ++i) {
    // Each object from a document of its own, as a host building one at a
    // time has it.
    const kuv::Document own = kuv::Document::Parse(whole.Serialize());
    writer.Write(own.objects()[i]);
  }
  writer.Finish();
  EXPECT_EQ(streamed.str(), expected.str());

  std::ostringstream empty;
  kuv::DocumentWriter nothing(empty);
  nothing.Finish();
  std::ostringstream emptyWhole;
  kuv::Document().Write(emptyWhole);
  EXPECT_EQ(empty.str(), emptyWhole.str());
}

TEST(DocumentWriter, AFailingStreamIsReportedAtFinish) {
  std::ostringstream out;
  out.setstate(std::ios::badbit);
  kuv::DocumentWriter writer(out);
  writer.Write(kuv::Document::Parse(kTwoObjects).objects()[0]);
  try {
    writer.Finish();
    FAIL() << "a failed stream must be reported";
  } catch (const kuv::Error& error) {
    EXPECT_EQ(error.code(), kuv::ErrorCode::kOpenForSave);
  }
}

}  // namespace
