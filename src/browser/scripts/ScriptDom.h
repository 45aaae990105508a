#pragma once

// The scripts' document object model, run in every new window before the page's own scripts.
// It is ScriptDom.js, embedded by the build (cmake/EmbedText.cmake).
extern const char* const kScriptDomSource;
// The same compiled by the build (the interpreter's bytecode, kScriptDomCompiledSize bytes), or
// null where the build could not compile it: then the first window compiles kScriptDomSource.
extern const unsigned char* const kScriptDomCompiled;
extern const int kScriptDomCompiledSize;
