// Every text the compiler prints, in one place. Formats are printf formats.
#pragma once

namespace qx::msg {

// Driver, standard output.
inline constexpr const char* kUsage = "Usage: qxgssconfig LibXMLFile UserXMLFile OutputBinFile\n";
inline constexpr const char* kProblemMerging = "\t\tProblem in MERGING FILES \n\n";
inline constexpr const char* kWrittenFormat = "\n\n Output has been written to Binary file \"%s\" \n\n";
inline constexpr const char* kNoLegalValues = "\n\n Error in Library File (No LegalValues section) \n\n";
inline constexpr const char* kCorrectLibrary = "\n\n\t\tCORRECT THE ERROR IN LIBRARY XML FILE\n\n";
inline constexpr const char* kCorrectUser = "\n\n\t\tCORRECT THE ERROR IN USER XML FILE\n\n";
inline constexpr const char* kNoConfigFileType =
    "\n\n Error: There is no ConfigFileType information in the User XML file ";
inline constexpr const char* kCorrectXmlFiles = "\n\n\t\tCORRECT THE ERROR IN XML FILES\n\n";
inline constexpr const char* kCorrectGlobalQops = "\n\n\t\tCORRECT THE GLOBAL QOPS THAT ARE NOT SUPPORTED\n\n";
inline constexpr const char* kCorrectMechQops = "\n\n\t\tCORRECT THE MECH QOPS THAT ARE NOT VALID\n\n";

// Driver and writer, perror-style reports on standard error.
inline constexpr const char* kOpenError = "Error in Opening file";
inline constexpr const char* kChmodError = "Error in changing permissions";
inline constexpr const char* kWriteError = "Error: Could not write qxgssconfig.bin.\n";
// Writer, standard output.
inline constexpr const char* kInsufficientMemory = "Error: insufficient memory\n";

// Schema search, standard error.
inline constexpr const char* kOutOfVirtualMemorySchema = "Out of Virtual Memory";
inline constexpr const char* kSchemaNotFound = "QxgssConfigFile.xsd not found...can't continue\n";

// String pool, standard error.
inline constexpr const char* kOutOfVirtualMemory = "Out of virtual memory\n";
// Token splitting, standard output.
inline constexpr const char* kMemAllocation = "Error in mem allocation ";

// XML library start-up and parse exceptions, standard error.
inline constexpr const char* kInitError = "Error during Xerces-c Initialization.\n";
inline constexpr const char* kInitExceptionMessage = "  Exception message:";
inline constexpr const char* kOutOfMemoryException = "OutOfMemoryException\n";
inline constexpr const char* kParseErrorMessage = "An error occurred during parsing\n   Message: ";
inline constexpr const char* kDomErrorStart = "\nDOM Error during parsing: '";
inline constexpr const char* kDomErrorCode = "DOMException code is:  ";
inline constexpr const char* kDomErrorMessage = "Message is: ";
inline constexpr const char* kUnknownParseError = "An error occurred during parsing\n ";

// Parser error reports, standard error.
inline constexpr const char* kErrorAtFile = "Error at FILE: \"";
inline constexpr const char* kErrorLine = "\",LINE: ";
inline constexpr const char* kErrorMessage = "\n   MESSAGE: ";
inline constexpr const char* kFatalAtFile = "Fatal Error at FILE: \"";
inline constexpr const char* kFatalLine = "\", LINE: ";
inline constexpr const char* kFatalMessage = "\n  MESSAGE: ";
inline constexpr const char* kColumn = ", COLUMN: ";

// LegalValues validation, standard output.
inline constexpr const char* kNameLengthFormat = "\n\n\t\tError in Length of %s=%s ";
inline constexpr const char* kIllegalAttributeFormat = "\n\n\t\tError in %s=%s ";
inline constexpr const char* kIllegalTextFormat = "\n\n\t\tError in %s ";

// Mechanism rules, standard output.
inline constexpr const char* kNoNegotiationFormat =
    "\n\n\t\tError  : '%s' does not support Negotiation; appropriate value for its "
    "'DefaultNegotiatingMechanism' property is \"no\".";
inline constexpr const char* kMultipleDefaults = "\n\n\t\tError : More than one Default Mechanisms are not allowed";
inline constexpr const char* kMultipleDefaultNegotiating =
    "\n\n\t\tError : Multiple default negotiating mechanisms were found; at most, only one may be the default.";
inline constexpr const char* kDefaultNegotiatingListFormat =
    "\n\n\t\tDefaultNegotiatingMechanism property is set to \"yes\" for Mechanisms : %s";

// QOP rules, standard output.
inline constexpr const char* kNoCipherSuites = "\n\n\t\tWarning : Unable to validate Global QOPs (CipherSuite data unavailable)";
inline constexpr const char* kNotInLegalValuesFormat = "\n\n\t\tWarning : Unable to validate Global QOPs (%s %s not in LegalValues)";
inline constexpr const char* kUnsupportedGlobalQopFormat =
    "\n\n\t\tError : Global QOP: %s \n\t\t        has an unsupported attribute: %s=%s";
inline constexpr const char* kInvalidGlobalQopNameFormat = "\n\n\t\tError : Invalid Global QOP name: %s";
inline constexpr const char* kLegacyTooMany = "\n\n\t\tError : Legacy Mech QOP (Value=\"0\") has more than one Global QOP mapped.";
inline constexpr const char* kNoGlobalQopMappedFormat = "\n\n\t\tError : Mech QOP (Value=\"%s\") has no Global QOP mapped.";
inline constexpr const char* kLegacyNeeds128a =
    "\n\n\t\tError : When Legacy Mech QOP (Value=\"0\") is enabled, default Mech QOP (Value=\"Default\")";
inline constexpr const char* kLegacyNeeds128b =
    "\n\t\t        should be defined and must be mapped to a Global QOP with 128 bit Key Length.";
inline constexpr const char* kKeySizeWarningA =
    "\n\n\t\tWarning : Configuration contains key sizes other than 128. Java Clients will require";
inline constexpr const char* kKeySizeWarningB = "\n\t\t          a Java Security Policy to support the specified configuration.";

// Capacities the compiler refuses to exceed, standard error.
inline constexpr const char* kTooManyElementsFormat =
    "Error: a configuration document has more than %d elements; can't continue\n";
inline constexpr const char* kTooManyAttributesFormat =
    "Error: a configuration document has more than %d attributes; can't continue\n";
inline constexpr const char* kTooManyTextsFormat =
    "Error: a configuration document has more than %d text values; can't continue\n";
inline constexpr const char* kTooManyChildrenFormat =
    "Error: element '%s' has more than %d child elements; can't continue\n";
inline constexpr const char* kTooManyMechanismsFormat =
    "Error: the configuration has more than %d Mechanism elements; can't continue\n";
inline constexpr const char* kMechanismListTooLongFormat =
    "Error: the list of default negotiating mechanisms is longer than %d characters; can't continue\n";

}  // namespace qx::msg
