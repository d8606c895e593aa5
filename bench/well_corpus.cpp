#include "well_corpus.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>

namespace kuv_bench {
namespace {

struct FieldSpec {
  const char* field;
  const char* unit;
  const char* type;
};

void Declare(ObjectDescription& object, const char* table, const char* parent,
             std::initializer_list<FieldSpec> fields) {
  object.tables.push_back({table, parent});
  for (const FieldSpec& spec : fields) {
    object.fields.push_back({table, spec.field, spec.unit, spec.type});
  }
}

// A log curve and the range its samples wander in.
struct Curve {
  const char* mnemonic;
  const char* unit;
  const char* description;
  double low;
  double high;
  int decimals;
  bool logarithmic;  // resistivities wander in decades
};

const Curve kCurves[] = {
    {"GR", "gAPI", "Gamma Ray", 15, 150, 3, false},
    {"CALI", "in", "Caliper", 8, 17, 3, false},
    {"RHOB", "g/cm3", "Bulk Density", 1.95, 2.95, 4, false},
    {"DRHO", "g/cm3", "Density Correction", -0.05, 0.15, 4, false},
    {"NPHI", "v/v", "Neutron Porosity", 0.02, 0.45, 4, false},
    {"PEF", "b/e", "Photoelectric Factor", 1.5, 6.0, 4, false},
    {"DT", "us/ft", "Compressional Slowness", 45, 140, 3, false},
    {"DTS", "us/ft", "Shear Slowness", 80, 250, 3, false},
    {"RT", "ohm.m", "True Resistivity", 0.2, 2000, 4, true},
    {"RXO", "ohm.m", "Flushed Zone Resistivity", 0.2, 500, 4, true},
    {"ILD", "ohm.m", "Deep Induction Resistivity", 0.2, 2000, 4, true},
    {"ILM", "ohm.m", "Medium Induction Resistivity", 0.2, 2000, 4, true},
    {"SP", "mV", "Spontaneous Potential", -90, 20, 2, false},
    {"SGR", "gAPI", "Spectral Gamma Ray", 15, 160, 3, false},
    {"CGR", "gAPI", "Computed Gamma Ray", 10, 120, 3, false},
    {"TENS", "lbf", "Cable Tension", 2000, 9000, 1, false},
    {"TEMP", "degC", "Borehole Temperature", 20, 140, 2, false},
    {"MRES", "ohm.m", "Mud Resistivity", 0.02, 0.3, 4, false},
};
constexpr int kCurveCount = static_cast<int>(sizeof kCurves / sizeof kCurves[0]);

const char* const kOperators[] = {"Northwind Energy",    "Baltic Offshore AS",
                                  "Red Mesa Petroleum",  "Tellus Exploration",
                                  "Vestfjord Resources", "Carpathian Oil and Gas"};
const char* const kFields[] = {"Halvard",  "Oskar Ridge", "Lindholm", "Brattvik",
                               "Sandhaug", "Kestrel",     "Morvern",  "Greylag"};
const char* const kCountries[] = {"Norway", "United Kingdom", "Netherlands", "Denmark"};
const char* const kAuthors[] = {"j.hansen",    "m.okafor",   "s.lindqvist", "a.mcleod",
                                "p.verhoeven", "k.nakamura", "r.alvarez"};
const char* const kVersions[] = {"1.0", "1.1", "2.0", "2.3"};
const char* const kServiceCompanies[] = {"Borealis Wireline", "Stratum Logging Services",
                                         "Deepline Petrophysics", "Northern Well Services"};
const char* const kFormations[] = {
    "Nordland Group",    "Utsira Formation",  "Hordaland Group",     "Balder Formation",
    "Sele Formation",    "Lista Formation",   "Heimdal Formation",   "Ekofisk Formation",
    "Tor Formation",     "Hod Formation",     "Blodoeks Formation",  "Draupne Formation",
    "Heather Formation", "Tarbert Formation", "Ness Formation",      "Etive Formation",
    "Rannoch Formation", "Dunlin Group",      "Statfjord Formation", "Lunde Formation",
    "Zechstein Group",   "Rotliegend Group"};
const char* const kLithologies[] = {"Claystone", "Sandstone", "Siltstone", "Limestone", "Chalk",
                                    "Marl",      "Shale",     "Dolomite",  "Anhydrite"};
const char* const kAges[] = {"Pliocene",         "Miocene",       "Oligocene",
                             "Eocene",           "Paleocene",     "Late Cretaceous",
                             "Early Cretaceous", "Late Jurassic", "Middle Jurassic",
                             "Early Jurassic",   "Triassic",      "Permian"};
const char* const kGrades[] = {"J55", "K55", "L80", "N80", "C95", "P110", "Q125"};
const char* const kAdditives[][2] = {{"Bentonite", "Extender"},
                                     {"Calcium Chloride", "Accelerator"},
                                     {"Lignosulfonate", "Retarder"},
                                     {"Silica Flour", "Strength Retrogression"},
                                     {"Fluid Loss Polymer", "Fluid Loss Control"},
                                     {"Antifoam", "Defoamer"},
                                     {"Dispersant", "Friction Reducer"}};
const char* const kZones[] = {"Upper Tarbert",  "Lower Tarbert", "Ness Sand", "Etive Sand",
                              "Statfjord Sand", "Heimdal Sand",  "Tor Chalk"};
const char* const kChargeTypes[] = {"Deep Penetrating", "Big Hole", "Reactive Liner", "Low Debris"};

// The five casing sizes a well may run, widest first.
struct CasingSize {
  const char* name;
  double diameter;
  double weight;
};
const CasingSize kCasingSizes[] = {{"Conductor", 30.0, 309.7},
                                   {"Surface", 20.0, 133.0},
                                   {"Intermediate", 13.375, 72.0},
                                   {"Production", 9.625, 53.5},
                                   {"Liner", 7.0, 32.0}};

void DescribeWellHeader(ObjectDescription& object) {
  Declare(object, "Well", "",
          {{"WellName", "", "String"},
           {"Operator", "", "String"},
           {"FieldName", "", "String"},
           {"Country", "", "String"},
           {"Latitude", "deg", "Double"},
           {"Longitude", "deg", "Double"},
           {"KellyBushing", "m", "Double"},
           {"WaterDepth", "m", "Double"},
           {"SpudDate", "", "Date"},
           {"TotalDepth", "m", "Double"},
           {"Status", "", "String"}});
}

void DescribeSurvey(ObjectDescription& object) {
  Declare(object, "SurveyRun", "",
          {{"SurveyCompany", "", "String"},
           {"SurveyDate", "", "Date"},
           {"ToolType", "", "String"},
           {"MagneticDeclination", "deg", "Double"}});
  Declare(object, "Station", "",
          {{"MD", "m", "Double"},
           {"Inclination", "deg", "Double"},
           {"Azimuth", "deg", "Double"},
           {"TVD", "m", "Double"},
           {"NorthOffset", "m", "Double"},
           {"EastOffset", "m", "Double"},
           {"Dogleg", "deg/30m", "Double"}});
}

void DescribeCasing(ObjectDescription& object) {
  Declare(object, "CasingString", "",
          {{"StringName", "", "String"},
           {"OuterDiameter", "in", "Double"},
           {"NominalWeight", "lb/ft", "Double"},
           {"Grade", "", "String"},
           {"TopMD", "m", "Double"},
           {"ShoeMD", "m", "Double"},
           {"RunDate", "", "Date"}});
  Declare(object, "CementStage", "CasingString",
          {{"StageNumber", "", "Integer"},
           {"StageTopMD", "m", "Double"},
           {"StageBottomMD", "m", "Double"},
           {"SlurryVolume", "m3", "Double"},
           {"SlurryDensity", "g/cm3", "Double"},
           {"CementDate", "", "Date"}});
  Declare(object, "Additive", "CementStage",
          {{"AdditiveName", "", "String"},
           {"Concentration", "%", "Double"},
           {"Purpose", "", "String"}});
}

void DescribeFormationTops(ObjectDescription& object) {
  Declare(object, "FormationTop", "",
          {{"FormationName", "", "String"},
           {"TopMD", "m", "Double"},
           {"TopTVD", "m", "Double"},
           {"Lithology", "", "String"},
           {"Age", "", "String"},
           {"Interpreter", "", "String"},
           {"Confidence", "", "String"}});
}

void DescribeCompletion(ObjectDescription& object) {
  Declare(object, "Completion", "",
          {{"CompletionName", "", "String"},
           {"CompletionType", "", "String"},
           {"CompletionDate", "", "Date"}});
  Declare(object, "Interval", "Completion",
          {{"IntervalTopMD", "m", "Double"},
           {"IntervalBottomMD", "m", "Double"},
           {"Zone", "", "String"}});
  Declare(object, "PerforationRun", "Interval",
          {{"GunSize", "in", "Double"},
           {"ShotDensity", "spf", "Double"},
           {"Phasing", "deg", "Double"},
           {"PerforationDate", "", "Date"}});
  Declare(object, "Charge", "PerforationRun",
          {{"ChargeType", "", "String"},
           {"ChargeCount", "", "Integer"},
           {"Penetration", "in", "Double"}});
}

void DescribeLog(ObjectDescription& object, const std::vector<int>& curves) {
  Declare(object, "LogRun", "",
          {{"RunNumber", "", "Integer"},
           {"ServiceCompany", "", "String"},
           {"LoggingDate", "", "Date"},
           {"TopDepth", "m", "Double"},
           {"BottomDepth", "m", "Double"},
           {"DepthStep", "m", "Double"},
           {"NullValue", "", "Double"}});
  Declare(object, "Curve", "",
          {{"Mnemonic", "", "String"}, {"CurveUnit", "", "String"}, {"Description", "", "String"}});
  Declare(object, "Sample", "", {{"DEPT", "m", "Double"}});
  for (int index : curves) {
    object.fields.push_back({"Sample", kCurves[index].mnemonic, kCurves[index].unit, "Double"});
  }
}

}  // namespace

struct WellCorpus::Well {
  std::string tag;  // unique within a document: part of every object ID
  std::string wellId;
  std::string name;
  const char* operatorName;
  const char* field;
  const char* country;
  int spudYear;
  int spudMonth;
  int spudDay;
  double kellyBushing;
  double totalDepth;
};

ObjectDescription WellCorpus::Header(const char* kind, const Well& well, int serial) {
  ObjectDescription object;
  object.id = std::string(kind) + "-" + well.tag;
  if (serial > 0) object.id += "-" + std::to_string(serial);
  object.author = random_.Pick(kAuthors);
  object.version = random_.Pick(kVersions);
  object.wellId = well.wellId;
  object.date =
      TimestampText(well.spudYear + random_.Between(0, 1), random_.Between(1, 12),
                    random_.Between(1, 28), random_.Between(0, 23), random_.Between(0, 59));
  return object;
}

void WellCorpus::EmitWell(DocumentSink& sink) {
  ++wellCount_;
  Well well;
  char text[64];
  std::snprintf(text, sizeof text, "W%05d", wellCount_);
  well.tag = text;
  const int quadrant = random_.Between(1, 35);
  const int block = random_.Between(1, 12);
  const char slot = static_cast<char>('A' + random_.Between(0, 5));
  const int number = random_.Between(1, 40);
  std::snprintf(text, sizeof text, "NO %d/%d-%c-%d", quadrant, block, slot, number);
  well.wellId = text;
  well.field = random_.Pick(kFields);
  std::snprintf(text, sizeof text, "%s %c-%d", well.field, slot, number);
  well.name = text;
  well.operatorName = random_.Pick(kOperators);
  well.country = random_.Pick(kCountries);
  well.spudYear = random_.Between(1995, 2023);
  well.spudMonth = random_.Between(1, 12);
  well.spudDay = random_.Between(1, 28);
  well.kellyBushing = random_.Uniform(22, 48);
  well.totalDepth = random_.Uniform(1800, 5200);

  EmitWellHeader(sink, well);
  EmitSurvey(sink, well);
  EmitCasing(sink, well);
  EmitFormationTops(sink, well);
  if (random_.Chance(0.6)) EmitCompletion(sink, well);
  const int runs = random_.Between(1, 3);
  for (int run = 1; run <= runs; ++run) EmitLog(sink, well, run);
}

void WellCorpus::EmitWellHeader(DocumentSink& sink, const Well& well) {
  ObjectDescription object = Header("WellHeader", well, 0);
  DescribeWellHeader(object);
  sink.BeginObject(object);
  sink.OpenTable("Well");
  sink.PutValue("Well", "WellName", well.name);
  sink.PutValue("Well", "Operator", well.operatorName);
  sink.PutValue("Well", "FieldName", well.field);
  sink.PutValue("Well", "Country", well.country);
  sink.PutValue("Well", "Latitude", NumberText(random_.Uniform(56.0, 62.5), 6).view());
  sink.PutValue("Well", "Longitude", NumberText(random_.Uniform(1.5, 4.8), 6).view());
  sink.PutValue("Well", "KellyBushing", NumberText(well.kellyBushing, 2).view());
  sink.PutValue("Well", "WaterDepth", NumberText(random_.Uniform(70, 380), 1).view());
  sink.PutValue("Well", "SpudDate", DateText(well.spudYear, well.spudMonth, well.spudDay));
  sink.PutValue("Well", "TotalDepth", NumberText(well.totalDepth, 1).view());
  sink.PutValue("Well", "Status", random_.Chance(0.7) ? "Producing" : "Plugged and Abandoned");
  sink.CloseTable("Well");
  sink.EndObject();
}

void WellCorpus::EmitSurvey(DocumentSink& sink, const Well& well) {
  ObjectDescription object = Header("DeviationSurvey", well, 0);
  DescribeSurvey(object);
  sink.BeginObject(object);
  sink.OpenTable("SurveyRun");
  sink.PutValue("SurveyRun", "SurveyCompany", random_.Pick(kServiceCompanies));
  sink.PutValue("SurveyRun", "SurveyDate",
                DateText(well.spudYear, well.spudMonth, std::min(28, well.spudDay + 9)));
  sink.PutValue("SurveyRun", "ToolType", random_.Chance(0.5) ? "MWD" : "Gyro");
  sink.PutValue("SurveyRun", "MagneticDeclination", NumberText(random_.Uniform(-2, 4), 3).view());
  sink.CloseTable("SurveyRun");

  // Stations every 30 m along hole: the hole builds angle below a kick-off
  // point and then holds it.
  sink.OpenTable("Station");
  const double kickOff = random_.Uniform(300, 1200);
  const double buildRate = random_.Uniform(1.0, 3.0);  // degrees per 30 m
  const double maxInclination = random_.Uniform(15, 70);
  double azimuth = random_.Uniform(0, 360);
  double inclination = 0, tvd = 0, north = 0, east = 0;
  const double radians = 3.14159265358979 / 180.0;
  for (double md = 0; md <= well.totalDepth; md += 30.0) {
    double next = inclination;
    if (md > kickOff) next = std::min(maxInclination, inclination + buildRate);
    const double dogleg = next - inclination;
    inclination = next;
    azimuth = std::fmod(azimuth + random_.Uniform(-0.4, 0.4) + 360.0, 360.0);
    if (md > 0) {
      tvd += 30.0 * std::cos(inclination * radians);
      north += 30.0 * std::sin(inclination * radians) * std::cos(azimuth * radians);
      east += 30.0 * std::sin(inclination * radians) * std::sin(azimuth * radians);
    }
    sink.PutValue("Station", "MD", NumberText(md, 2).view());
    sink.PutValue("Station", "Inclination", NumberText(inclination, 3).view());
    sink.PutValue("Station", "Azimuth", NumberText(azimuth, 3).view());
    sink.PutValue("Station", "TVD", NumberText(tvd, 2).view());
    sink.PutValue("Station", "NorthOffset", NumberText(north, 2).view());
    sink.PutValue("Station", "EastOffset", NumberText(east, 2).view());
    sink.PutValue("Station", "Dogleg", NumberText(dogleg, 3).view());
  }
  sink.CloseTable("Station");
  sink.EndObject();
}

void WellCorpus::EmitCasing(DocumentSink& sink, const Well& well) {
  ObjectDescription object = Header("Casing", well, 0);
  DescribeCasing(object);
  sink.BeginObject(object);
  sink.OpenTable("CasingString");
  const int first = random_.Between(0, 1);
  const int last = random_.Between(3, 4);
  for (int size = first; size <= last; ++size) {
    const CasingSize& casing = kCasingSizes[size];
    const double shoe = well.totalDepth * (0.08 + 0.23 * size) - random_.Uniform(0, 40);
    const double top = size == 4 ? shoe * 0.8 : well.kellyBushing;
    sink.PutValue("CasingString", "StringName", casing.name);
    sink.PutValue("CasingString", "OuterDiameter", NumberText(casing.diameter, 3).view());
    sink.PutValue("CasingString", "NominalWeight", NumberText(casing.weight, 1).view());
    sink.PutValue("CasingString", "Grade", random_.Pick(kGrades));
    sink.PutValue("CasingString", "TopMD", NumberText(top, 2).view());
    sink.PutValue("CasingString", "ShoeMD", NumberText(shoe, 2).view());
    const std::string runDate =
        DateText(well.spudYear, std::min(12, well.spudMonth + size / 2), random_.Between(1, 28));
    sink.PutValue("CasingString", "RunDate", runDate);

    sink.OpenTable("CementStage");
    const int stages = random_.Between(1, 2);
    for (int stage = 1; stage <= stages; ++stage) {
      const double stageTop = top + (shoe - top) * (stage - 1) / stages;
      const double stageBottom = top + (shoe - top) * stage / stages;
      sink.PutValue("CementStage", "StageNumber", NumberText(stage).view());
      sink.PutValue("CementStage", "StageTopMD", NumberText(stageTop, 2).view());
      sink.PutValue("CementStage", "StageBottomMD", NumberText(stageBottom, 2).view());
      sink.PutValue("CementStage", "SlurryVolume", NumberText(random_.Uniform(8, 160), 2).view());
      sink.PutValue("CementStage", "SlurryDensity",
                    NumberText(random_.Uniform(1.4, 1.95), 3).view());
      sink.PutValue("CementStage", "CementDate", runDate);

      sink.OpenTable("Additive");
      const int additives = random_.Between(2, 4);
      for (int additive = 0; additive < additives; ++additive) {
        const auto& choice = random_.Pick(kAdditives);
        sink.PutValue("Additive", "AdditiveName", choice[0]);
        sink.PutValue("Additive", "Concentration", NumberText(random_.Uniform(0.1, 6), 2).view());
        sink.PutValue("Additive", "Purpose", choice[1]);
      }
      sink.CloseTable("Additive");
    }
    sink.CloseTable("CementStage");
  }
  sink.CloseTable("CasingString");
  sink.EndObject();
}

void WellCorpus::EmitFormationTops(DocumentSink& sink, const Well& well) {
  ObjectDescription object = Header("FormationTops", well, 0);
  DescribeFormationTops(object);
  sink.BeginObject(object);
  sink.OpenTable("FormationTop");
  constexpr int kFormationCount = static_cast<int>(sizeof kFormations / sizeof kFormations[0]);
  const int count = random_.Between(8, 20);
  int formation = random_.Between(0, kFormationCount - count);
  double md = random_.Uniform(400, 900);
  const double step = (well.totalDepth - md) / count;
  const char* interpreter = random_.Pick(kAuthors);
  for (int i = 0; i < count; ++i, ++formation) {
    sink.PutValue("FormationTop", "FormationName", kFormations[formation]);
    sink.PutValue("FormationTop", "TopMD", NumberText(md, 2).view());
    sink.PutValue("FormationTop", "TopTVD", NumberText(md * random_.Uniform(0.86, 0.99), 2).view());
    sink.PutValue("FormationTop", "Lithology", random_.Pick(kLithologies));
    sink.PutValue("FormationTop", "Age", kAges[std::min(11, formation / 2)]);
    sink.PutValue("FormationTop", "Interpreter", interpreter);
    sink.PutValue("FormationTop", "Confidence", random_.Chance(0.7) ? "High" : "Medium");
    md += step * random_.Uniform(0.6, 1.3);
  }
  sink.CloseTable("FormationTop");
  sink.EndObject();
}

void WellCorpus::EmitCompletion(DocumentSink& sink, const Well& well) {
  ObjectDescription object = Header("Completion", well, 0);
  DescribeCompletion(object);
  sink.BeginObject(object);
  const std::string date =
      DateText(well.spudYear + 1, random_.Between(1, 12), random_.Between(1, 28));
  sink.OpenTable("Completion");
  sink.PutValue("Completion", "CompletionName", well.name + " Lower Completion");
  sink.PutValue("Completion", "CompletionType",
                random_.Chance(0.5) ? "Cased Hole" : "Sand Screens");
  sink.PutValue("Completion", "CompletionDate", date);
  sink.OpenTable("Interval");
  const int intervals = random_.Between(1, 4);
  double top = well.totalDepth * random_.Uniform(0.75, 0.85);
  for (int interval = 0; interval < intervals; ++interval) {
    const double bottom = top + random_.Uniform(4, 35);
    sink.PutValue("Interval", "IntervalTopMD", NumberText(top, 2).view());
    sink.PutValue("Interval", "IntervalBottomMD", NumberText(bottom, 2).view());
    sink.PutValue("Interval", "Zone", random_.Pick(kZones));
    sink.OpenTable("PerforationRun");
    const int runs = random_.Between(1, 2);
    for (int run = 0; run < runs; ++run) {
      sink.PutValue("PerforationRun", "GunSize",
                    NumberText(random_.Chance(0.5) ? 4.5 : 3.375, 3).view());
      sink.PutValue("PerforationRun", "ShotDensity",
                    NumberText(random_.Chance(0.5) ? 6.0 : 12.0, 1).view());
      sink.PutValue("PerforationRun", "Phasing",
                    NumberText(random_.Chance(0.5) ? 60.0 : 135.0, 1).view());
      sink.PutValue("PerforationRun", "PerforationDate", date);
      sink.OpenTable("Charge");
      const int charges = random_.Between(1, 2);
      for (int charge = 0; charge < charges; ++charge) {
        sink.PutValue("Charge", "ChargeType", random_.Pick(kChargeTypes));
        sink.PutValue("Charge", "ChargeCount", NumberText(random_.Between(20, 400)).view());
        sink.PutValue("Charge", "Penetration", NumberText(random_.Uniform(18, 60), 2).view());
      }
      sink.CloseTable("Charge");
    }
    sink.CloseTable("PerforationRun");
    top = bottom + random_.Uniform(2, 40);
  }
  sink.CloseTable("Interval");
  sink.CloseTable("Completion");
  sink.EndObject();
}

void WellCorpus::EmitLog(DocumentSink& sink, const Well& well, int run) {
  // GR and a random choice of the other curves, in catalogue order.
  std::vector<int> curves{0};
  const int wanted = random_.Between(6, 16);
  std::vector<int> others;
  for (int i = 1; i < kCurveCount; ++i) others.push_back(i);
  for (int i = 0; i + 1 < wanted && !others.empty(); ++i) {
    const std::size_t pick = random_.Next() % others.size();
    curves.push_back(others[pick]);
    others.erase(others.begin() + static_cast<std::ptrdiff_t>(pick));
  }
  std::sort(curves.begin(), curves.end());

  ObjectDescription object = Header("Log", well, run);
  DescribeLog(object, curves);
  sink.BeginObject(object);

  const double step = random_.Chance(0.6) ? 0.1524 : 0.1;
  const int rows = random_.Between(500, 4000);
  const double top = random_.Uniform(200, std::max(300.0, well.totalDepth - rows * step - 50));
  sink.OpenTable("LogRun");
  sink.PutValue("LogRun", "RunNumber", NumberText(run).view());
  sink.PutValue("LogRun", "ServiceCompany", random_.Pick(kServiceCompanies));
  sink.PutValue(
      "LogRun", "LoggingDate",
      DateText(well.spudYear, std::min(12, well.spudMonth + run), random_.Between(1, 28)));
  sink.PutValue("LogRun", "TopDepth", NumberText(top, 4).view());
  sink.PutValue("LogRun", "BottomDepth", NumberText(top + (rows - 1) * step, 4).view());
  sink.PutValue("LogRun", "DepthStep", NumberText(step, 4).view());
  sink.PutValue("LogRun", "NullValue", "-999.2500");
  sink.CloseTable("LogRun");

  sink.OpenTable("Curve");
  sink.PutValue("Curve", "Mnemonic", "DEPT");
  sink.PutValue("Curve", "CurveUnit", "m");
  sink.PutValue("Curve", "Description", "Measured Depth");
  for (int index : curves) {
    sink.PutValue("Curve", "Mnemonic", kCurves[index].mnemonic);
    sink.PutValue("Curve", "CurveUnit", kCurves[index].unit);
    sink.PutValue("Curve", "Description", kCurves[index].description);
  }
  sink.CloseTable("Curve");

  // Samples wander smoothly within each curve's range; a few are missing.
  std::vector<double> level(curves.size());
  for (std::size_t c = 0; c < curves.size(); ++c) {
    const Curve& curve = kCurves[curves[c]];
    level[c] = curve.logarithmic ? random_.Uniform(std::log10(curve.low), std::log10(curve.high))
                                 : random_.Uniform(curve.low, curve.high);
  }
  sink.OpenTable("Sample");
  for (int row = 0; row < rows; ++row) {
    sink.PutValue("Sample", "DEPT", NumberText(top + row * step, 4).view());
    for (std::size_t c = 0; c < curves.size(); ++c) {
      const Curve& curve = kCurves[curves[c]];
      const double low = curve.logarithmic ? std::log10(curve.low) : curve.low;
      const double high = curve.logarithmic ? std::log10(curve.high) : curve.high;
      level[c] = std::clamp(level[c] + (high - low) * random_.Uniform(-0.02, 0.02), low, high);
      if (random_.Chance(0.01)) {
        sink.PutValue("Sample", curve.mnemonic, "-999.2500");
      } else {
        const double value = curve.logarithmic ? std::pow(10.0, level[c]) : level[c];
        sink.PutValue("Sample", curve.mnemonic, NumberText(value, curve.decimals).view());
      }
    }
  }
  sink.CloseTable("Sample");
  sink.EndObject();
}

std::vector<ObjectDescription> WellCorpus::Kinds() {
  std::vector<ObjectDescription> kinds;
  auto add = [&kinds](const char* id) -> ObjectDescription& {
    ObjectDescription& object = kinds.emplace_back();
    object.id = id;
    object.author = "kuv";
    object.version = "1.0";
    object.date = TimestampText(2024, 1, 1, 0, 0);
    return object;
  };
  DescribeWellHeader(add("WellHeader"));
  DescribeSurvey(add("DeviationSurvey"));
  DescribeCasing(add("Casing"));
  DescribeFormationTops(add("FormationTops"));
  DescribeCompletion(add("Completion"));
  std::vector<int> everyCurve;
  for (int i = 0; i < kCurveCount; ++i) everyCurve.push_back(i);
  DescribeLog(add("Log"), everyCurve);
  return kinds;
}

}  // namespace kuv_bench
