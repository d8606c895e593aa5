// The library's own string table of error texts, looked up by code.
#ifndef KUV_RESOURCES_MESSAGES_H_
#define KUV_RESOURCES_MESSAGES_H_

namespace kuv::resources {

// The text of an error code, or null when the table has no entry for it.
const char* MessageText(int code);

}  // namespace kuv::resources

#endif  // KUV_RESOURCES_MESSAGES_H_
