#pragma once

// The scripts' document object model, run in every new window before the page's own scripts.
// It is ScriptDom.js, embedded by the build (cmake/EmbedText.cmake).
extern const char* const kScriptDomSource;
