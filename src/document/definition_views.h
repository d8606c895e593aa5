// A field definition as the document API hands it out: views of its key
// and definition texts, each split at its first TAB.
#ifndef KUV_DOCUMENT_DEFINITION_VIEWS_H_
#define KUV_DOCUMENT_DEFINITION_VIEWS_H_

#include <string>

#include "kuv/document.hpp"
#include "model/definitions.h"

namespace kuv::document {

inline FieldDefinition ViewFieldDefinition(const std::string& key, const std::string& definition) {
  const SplitText name = SplitAtFirstTab(key);
  const SplitText unitAndType = SplitAtFirstTab(definition);
  return FieldDefinition{name.first, name.second, unitAndType.first, unitAndType.second};
}

}  // namespace kuv::document

#endif  // KUV_DOCUMENT_DEFINITION_VIEWS_H_
