#include "error_reporter.hpp"

#include <cstdio>

#include "local_text.hpp"
#include "messages.hpp"

XERCES_CPP_NAMESPACE_USE

namespace qx {
namespace {

void Report(const SAXParseException& e, const char* atFile, const char* line, const char* message) {
    std::fputs(atFile, stderr);
    std::fputs(ToLocal(e.getSystemId()).c_str(), stderr);
    std::fputs(line, stderr);
    std::fprintf(stderr, "%llu", static_cast<unsigned long long>(e.getLineNumber()));
    std::fputs(msg::kColumn, stderr);
    std::fprintf(stderr, "%llu", static_cast<unsigned long long>(e.getColumnNumber()));
    std::fputs(message, stderr);
    std::fputs(ToLocal(e.getMessage()).c_str(), stderr);
    std::fputs("\n", stderr);
}

}  // namespace

void QxgssParserErrorReporter::warning(const SAXParseException&) {}

void QxgssParserErrorReporter::error(const SAXParseException& e) {
    sawErrors_ = true;
    Report(e, msg::kErrorAtFile, msg::kErrorLine, msg::kErrorMessage);
}

void QxgssParserErrorReporter::fatalError(const SAXParseException& e) {
    sawErrors_ = true;
    Report(e, msg::kFatalAtFile, msg::kFatalLine, msg::kFatalMessage);
}

void QxgssParserErrorReporter::resetErrors() { sawErrors_ = false; }

}  // namespace qx
