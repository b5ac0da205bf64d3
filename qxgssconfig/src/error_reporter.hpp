// The parser's error handler: prints every error and fatal error in the
// compiler's own words on standard error and remembers that it saw one.
#pragma once

#include <xercesc/sax/ErrorHandler.hpp>
#include <xercesc/sax/SAXParseException.hpp>

namespace qx {

class QxgssParserErrorReporter : public XERCES_CPP_NAMESPACE::ErrorHandler {
public:
    ~QxgssParserErrorReporter() override = default;
    void warning(const XERCES_CPP_NAMESPACE::SAXParseException& e) override;
    void error(const XERCES_CPP_NAMESPACE::SAXParseException& e) override;
    void fatalError(const XERCES_CPP_NAMESPACE::SAXParseException& e) override;
    void resetErrors() override;

    bool sawErrors() const { return sawErrors_; }

private:
    bool sawErrors_ = false;
};

}  // namespace qx
