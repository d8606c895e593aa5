# Writes OUTPUT, a C++ file that holds the page's style and script (STYLE
# and SCRIPT, file paths) as raw string literals, for view_assets.h.
# Run with cmake -P at build time, so that an edit of either file rebuilds
# the tool. They are edited as the CSS and JavaScript they are, and the
# tool needs nothing beside it at run time.
file(READ ${STYLE} style)
file(READ ${SCRIPT} script)
foreach(content IN ITEMS style script)
  string(FIND "${${content}}" ")kuv_asset\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${content} holds the raw string's end marker )kuv_asset\"")
  endif()
endforeach()
file(WRITE ${OUTPUT}
  "// Generated from view_page.css and view_page.js by embed_view_assets.cmake.\n"
  "#include \"view_assets.h\"\n\n"
  "namespace kuv::tool {\n\n"
  "const char* const kViewStyle = R\"kuv_asset(${style})kuv_asset\";\n\n"
  "const char* const kViewScript = R\"kuv_asset(${script})kuv_asset\";\n\n"
  "}  // namespace kuv::tool\n")
