#include "xml_loader.hpp"

#include <cstdio>
#include <memory>

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMException.hpp>
#include <xercesc/dom/DOMImplementation.hpp>
#include <xercesc/framework/LocalFileInputSource.hpp>
#include <xercesc/framework/XMLGrammarPool.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/OutOfMemoryException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/SecurityManager.hpp>
#include <xercesc/util/XMLEntityResolver.hpp>
#include <xercesc/util/XMLException.hpp>

#include "dom_recorder.hpp"
#include "error_reporter.hpp"
#include "local_text.hpp"
#include "messages.hpp"
#include "run_end.hpp"

XERCES_CPP_NAMESPACE_USE

namespace qx {
namespace {

// Stops the XML library when a load ends, however it ends.
struct XmlLibrarySession {
    ~XmlLibrarySession() { XMLPlatformUtils::Terminate(); }
};

// Refuses every external entity, DTD and schema the document asks for: the
// parser reads only the file it is given and the schema loaded beforehand.
class RefuseAllResolver : public XMLEntityResolver {
public:
    InputSource* resolveEntity(XMLResourceIdentifier*) override { return nullptr; }
};

const XMLCh* AsXmlCh(const std::u16string& s) { return reinterpret_cast<const XMLCh*>(s.c_str()); }

void ConfigureParser(XercesDOMParser& parser, const std::u16string& schemaPath) {
    parser.setValidationScheme(XercesDOMParser::Val_Auto);
    parser.setDoNamespaces(true);
    parser.setDoSchema(true);
    parser.setValidationSchemaFullChecking(true);
    parser.setCreateEntityReferenceNodes(false);
    parser.setExternalNoNamespaceSchemaLocation(AsXmlCh(schemaPath));
    // Nothing but the two input files and the located schema is ever read.
    parser.setDisableDefaultEntityResolution(true);
    parser.setLoadExternalDTD(false);
    parser.setLoadSchema(false);
    parser.useCachedGrammarInParse(true);
}

}  // namespace

int ParseConfigDocument(CompilerState& s, const std::string& xmlPath, const std::string& schemaPath) {
    try {
        XMLPlatformUtils::Initialize("en_US");
    } catch (const XMLException& e) {
        std::fputs(msg::kInitError, stderr);
        std::fputs(msg::kInitExceptionMessage, stderr);
        std::fputs(ToLocal(e.getMessage()).c_str(), stderr);
        std::fputs("\n", stderr);
        return 1;
    }
    XmlLibrarySession session;

    s.current->resetLastIndices();

    SecurityManager security;
    RefuseAllResolver resolver;
    QxgssParserErrorReporter reporter;
    auto parser = std::make_unique<XercesDOMParser>(nullptr, XMLPlatformUtils::fgMemoryManager, nullptr);
    const std::u16string schema = FromLocal(schemaPath.c_str());
    const std::u16string document = FromLocal(xmlPath.c_str());
    ConfigureParser(*parser, schema);
    parser->setSecurityManager(&security);
    parser->setXMLEntityResolver(&resolver);
    parser->setErrorHandler(&reporter);

    bool failed = false;
    try {
        LocalFileInputSource schemaSource(AsXmlCh(schema));
        parser->loadGrammar(schemaSource, Grammar::SchemaGrammarType, true);
        if (!reporter.sawErrors()) {
            LocalFileInputSource documentSource(AsXmlCh(document));
            parser->parse(documentSource);
        }
    } catch (const OutOfMemoryException&) {
        std::fputs(msg::kOutOfMemoryException, stderr);
        failed = true;
    } catch (const XMLException& e) {
        std::fputs(msg::kParseErrorMessage, stderr);
        std::fputs(ToLocal(e.getMessage()).c_str(), stderr);
        std::fputs("\n", stderr);
        failed = true;
    } catch (const DOMException& e) {
        std::fputs(msg::kDomErrorStart, stderr);
        std::fputs(xmlPath.c_str(), stderr);
        std::fputs("'\n", stderr);
        std::fputs(msg::kDomErrorCode, stderr);
        std::fprintf(stderr, "%d\n", static_cast<int>(e.code));
        XMLCh text[2048];
        if (DOMImplementation::loadDOMExceptionMsg(e.code, text, 2047)) {
            std::fputs(msg::kDomErrorMessage, stderr);
            std::fputs(ToLocal(text).c_str(), stderr);
            std::fputs("\n", stderr);
        }
        failed = true;
    } catch (...) {
        std::fputs(msg::kUnknownParseError, stderr);
        std::fputs("\n", stderr);
        failed = true;
    }

    if (failed || reporter.sawErrors()) {
        parser.reset();
        EndRun(1);
    }

    RecordDomNode(s, parser->getDocument());
    parser.reset();
    return 0;
}

}  // namespace qx
