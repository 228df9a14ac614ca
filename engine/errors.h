#pragma once

#include <QString>

#include <exception>
#include <string>
#include <vector>

namespace veranth::engine {

// Numbers the program and the engine test by name. Texts for all of them live in errors.cpp.
namespace err {
inline constexpr int kInvalidArgument = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kInvalidUseOfNull = 94;
inline constexpr int kInvalidArgumentEngine = 3001;
inline constexpr int kTableExists = 3010;
inline constexpr int kNoCurrentIndex = 3019;
inline constexpr int kUpdateWithoutEdit = 3020;
inline constexpr int kNoCurrentRecord = 3021;
inline constexpr int kDuplicateKey = 3022;
inline constexpr int kFileNotFound = 3024;
inline constexpr int kDiskFull = 3026;
inline constexpr int kReadOnly = 3027;
inline constexpr int kBadAccount = 3029;
inline constexpr int kBadPassword = 3031;
inline constexpr int kNoTransaction = 3034;
inline constexpr int kSecurityFileNotFound = 3044;
inline constexpr int kFileInUse = 3045;
inline constexpr int kDamagedDatabase = 3049;
inline constexpr int kCancelled = 3059;
inline constexpr int kTooFewParameters = 3061;
inline constexpr int kCannotExecuteSelect = 3065;
inline constexpr int kSyntaxErrorInExpression = 3075;
inline constexpr int kInputTableNotFound = 3078;
inline constexpr int kOdbcCallFailed = 3146;
inline constexpr int kOdbcConnectionFailed = 3151;
inline constexpr int kFieldTooSmall = 3163;
inline constexpr int kRecordDeleted = 3167;
inline constexpr int kIsamNotFound = 3170;
inline constexpr int kFieldDefinedTwice = 3191;
inline constexpr int kDatabaseExists = 3204;
inline constexpr int kInvalidOperation = 3219;
inline constexpr int kPropertyReadOnly = 3219;
inline constexpr int kNotSupported = 3251;
inline constexpr int kLocked = 3260;
inline constexpr int kItemNotFound = 3265;
inline constexpr int kPropertyNotFound = 3270;
inline constexpr int kRequiredIsNull = 3314;
inline constexpr int kZeroLengthNotAllowed = 3315;
inline constexpr int kValidationRuleViolated = 3317;
inline constexpr int kRecordsetNotUpdatable = 3326;
inline constexpr int kUnrecognizedFormat = 3343;
inline constexpr int kNameExists = 3367;
inline constexpr int kConversionError = 3421;
}  // namespace err

// One failure as the Errors collection lists it.
struct ErrorRecord {
    int number = 0;
    QString description;
    QString source;
};

// Every failure the engine reports. Number and Description follow the one table in errors.cpp.
class EngineError : public std::exception {
public:
    // Description taken from the table, "%1", "%2" filled from the arguments.
    explicit EngineError(int number, const QString& arg1 = QString(), const QString& arg2 = QString());
    // Description given as it stands (a driver's text, a validation text of the user's).
    static EngineError withDescription(int number, const QString& description);

    int number() const { return record_.number; }
    const QString& description() const { return record_.description; }
    const QString& source() const { return record_.source; }
    const ErrorRecord& record() const { return record_; }
    EngineError& setSource(const QString& source);

    const char* what() const noexcept override { return what_.c_str(); }

private:
    EngineError() = default;
    void updateWhat();

    ErrorRecord record_;
    std::string what_;
};

// The table's text for a number, with its placeholders left in.
QString errorTemplate(int number);

// The Errors collection: the errors of the last failed operation, item 0 first.
// A later failure replaces them; a success leaves them as they were.
class ErrorList {
public:
    int count() const { return static_cast<int>(records_.size()); }
    const ErrorRecord& item(int index) const;
    void replace(std::vector<ErrorRecord> records) { records_ = std::move(records); }
    void record(const EngineError& error) { records_ = {error.record()}; }
    void clear() { records_.clear(); }

private:
    std::vector<ErrorRecord> records_;
};

}  // namespace veranth::engine
