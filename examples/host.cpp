// A short C++ host of the kuv document API: opens the document named on the
// command line and prints every value of every business object, as host.c
// does through the C interface. No template is needed to read.
#include <algorithm>
#include <iostream>
#include <vector>

#include <kuv/document.hpp>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: " << argv[0] << " DOCUMENT\n";
    return 2;
  }
  try {
    const kuv::Document document = kuv::Document::Open(argv[1]);
    for (const kuv::BusinessObject object : document.objects()) {
      std::cout << object.id() << " (well " << object.well_id() << ", " << object.date() << ")\n";
      // Tables still to print, depth first; texts are views, nothing is copied.
      std::vector<kuv::Table> pending(object.tables().begin(), object.tables().end());
      std::reverse(pending.begin(), pending.end());
      while (!pending.empty()) {
        const kuv::Table table = pending.back();
        pending.pop_back();
        int number = 0;
        for (const kuv::Row row : table.rows()) {
          ++number;
          for (const kuv::Value value : row.values()) {
            const auto definition = object.field_definition(table.name(), value.field);
            std::cout << "  " << table.name() << " row " << number << ": " << value.field << " = "
                      << value.text << " " << (definition ? definition->unit : "") << "\n";
          }
          const auto children = row.child_tables();
          for (std::size_t i = children.size(); i > 0; --i) pending.push_back(children[i - 1]);
        }
      }
    }
  } catch (const kuv::Error& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  return 0;
}
