// quorvane-compile-script: compiles one of the program's own scripts with the interpreter the
// program is built with, and writes its bytecode as a C++ source, so that a window loads the
// compiled code instead of compiling the text again in every process. Run by the build:
//   quorvane-compile-script <script.js> <name> <output.cpp> <symbol> <header>
// <name> is the file name the code is compiled under (it appears in the scripts' error messages);
// the source defines `const unsigned char* const <symbol>` and `const int <symbol>Size`.
#include <cstdio>
#include <duktape.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

// The interpreter asks this every so many instructions; compiling runs no script.
duk_bool_t QuorvaneScriptTimedOut(void*)
{
    return 0;
}

namespace
{
// As the program compiles it (ScriptEngine.cpp): [name] -> [bytecode].
duk_ret_t Compile(duk_context* context, void* udata)
{
    const auto* strText = static_cast<const std::string*>(udata);
    duk_compile_lstring_filename(context, 0, strText->data(), strText->size());
    duk_dump_function(context);
    return 1;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s <script.js> <name> <output.cpp> <symbol> <header>\n", argv[0]);
        return 2;
    }
    std::ifstream input(argv[1], std::ios::binary);
    const std::string strText((std::istreambuf_iterator<char>(input)), std::istreambuf_iterator<char>());
    if (!input || strText.empty()) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    duk_context* context = duk_create_heap_default();
    if (!context)
        return 1;
    duk_push_string(context, argv[2]);
    std::string strCode = strText;
    if (duk_safe_call(context, &Compile, &strCode, 1, 1) != DUK_EXEC_SUCCESS) {
        std::fprintf(stderr, "%s: %s does not compile: %s\n", argv[0], argv[1], duk_safe_to_string(context, -1));
        duk_destroy_heap(context);
        return 1;
    }
    duk_size_t lngSize = 0;
    const auto* bytes = static_cast<const unsigned char*>(duk_get_buffer(context, -1, &lngSize));
    std::ostringstream out;
    out << "// Generated from " << argv[1] << " by quorvane-compile-script: edit the script, not this file.\n"
        << "#include \"" << argv[5] << "\"\n\nnamespace\n{\nconst unsigned char kBytes[] = {";
    for (duk_size_t i = 0; i < lngSize; ++i)
        out << (i % 16 == 0 ? "\n    " : " ") << static_cast<unsigned>(bytes[i]) << ',';
    out << "\n};\n}\n\nconst unsigned char* const " << argv[4] << " = kBytes;\nconst int " << argv[4]
        << "Size = " << lngSize << ";\n";
    duk_destroy_heap(context);
    // An unchanged source keeps its time stamp, so that nothing is rebuilt for it.
    std::ifstream previous(argv[3], std::ios::binary);
    const std::string strPrevious((std::istreambuf_iterator<char>(previous)), std::istreambuf_iterator<char>());
    if (strPrevious == out.str())
        return 0;
    // The build may run this before anything else has made the output's folder.
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(argv[3]).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    std::ofstream output(argv[3], std::ios::binary | std::ios::trunc);
    output << out.str();
    output.close();
    if (!output) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[3]);
        return 1;
    }
    return 0;
}
