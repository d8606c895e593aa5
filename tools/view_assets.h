// The style and the script of the page `kuv view` writes, from
// view_page.css and view_page.js, built into the tool.
#ifndef KUV_TOOLS_VIEW_ASSETS_H_
#define KUV_TOOLS_VIEW_ASSETS_H_

namespace kuv::tool {

extern const char* const kViewStyle;
extern const char* const kViewScript;

}  // namespace kuv::tool

#endif  // KUV_TOOLS_VIEW_ASSETS_H_
