#include "engine/errors.h"

#include <QHash>

namespace veranth::engine {

namespace {

const QString kDefaultSource = QStringLiteral("Veranth engine");

// One line per number: the text a user reads. "%1"/"%2" are object names or values.
const QHash<int, QString>& errorTable() {
    static const QHash<int, QString> table = {
        {err::kInvalidArgument, QStringLiteral("Invalid procedure call or argument.")},
        {err::kOverflow, QStringLiteral("Overflow: the value %1 is outside the range of the target type.")},
        {err::kDivisionByZero, QStringLiteral("Division by zero.")},
        {err::kTypeMismatch, QStringLiteral("Type mismatch: '%1' cannot be used as %2.")},
        {err::kInvalidUseOfNull, QStringLiteral("Invalid use of Null: a value is required here.")},
        {err::kInvalidArgumentEngine, QStringLiteral("Invalid argument: %1")},
        {err::kTableExists, QStringLiteral("Table '%1' already exists. Delete it or choose another name.")},
        {err::kNoCurrentIndex,
         QStringLiteral("Operation invalid without a current index. Set the recordset's Index before a Seek.")},
        {err::kUpdateWithoutEdit, QStringLiteral("Update or CancelUpdate without AddNew or Edit.")},
        {err::kNoCurrentRecord, QStringLiteral("No current record.")},
        {err::kDuplicateKey,
         QStringLiteral("The change was not made because it would create a duplicate value in the index, primary "
                        "key or unique field of table '%1'. Change the duplicated data or remove the index.")},
        {err::kFileNotFound, QStringLiteral("Could not find file '%1'.")},
        {err::kDiskFull, QStringLiteral("Not enough space on disk to complete the operation.")},
        {err::kReadOnly, QStringLiteral("Cannot update. Database or object '%1' is read-only.")},
        {err::kBadAccount,
         QStringLiteral("Not a valid account name or password. Check the user name and type the password again.")},
        {err::kBadPassword, QStringLiteral("Not a valid password for database '%1'.")},
        {err::kNoTransaction, QStringLiteral("You tried to commit or roll back a transaction without first "
                                             "beginning a transaction.")},
        {err::kSecurityFileNotFound,
         QStringLiteral("The security (workgroup) file '%1' was not found. Check the SystemDB setting and that "
                        "the file exists.")},
        {err::kFileInUse, QStringLiteral("Could not use '%1'; the file is already in use.")},
        {err::kDamagedDatabase,
         QStringLiteral("Cannot open database '%1'. It is damaged or is not a database this engine recognizes. "
                        "%2")},
        {err::kCancelled, QStringLiteral("Operation canceled by user.")},
        {err::kTooFewParameters, QStringLiteral("Too few parameters. Expected %1.")},
        {err::kCannotExecuteSelect,
         QStringLiteral("Cannot execute a select query. Open it as a recordset instead.")},
        {err::kSyntaxErrorInExpression, QStringLiteral("Syntax error in expression '%1'.")},
        {err::kInputTableNotFound,
         QStringLiteral("The engine cannot find the input table or query '%1'. Make sure it exists and that its "
                        "name is spelled correctly.")},
        {err::kOdbcCallFailed, QStringLiteral("ODBC--call failed. %1")},
        {err::kOdbcConnectionFailed, QStringLiteral("ODBC--connection to '%1' failed.")},
        {err::kFieldTooSmall,
         QStringLiteral("The field '%1' is too small to accept the amount of data you attempted to add (its "
                        "size is %2). Enter a shorter value.")},
        {err::kRecordDeleted, QStringLiteral("Record is deleted.")},
        {err::kIsamNotFound, QStringLiteral("Could not find installable ISAM for '%1'.")},
        {err::kFieldDefinedTwice, QStringLiteral("Cannot define field '%1' more than once.")},
        {err::kDatabaseExists, QStringLiteral("Database '%1' already exists.")},
        {err::kInvalidOperation, QStringLiteral("Invalid operation. %1")},
        {err::kNotSupported, QStringLiteral("Operation is not supported for this type of object. %1")},
        {err::kLocked,
         QStringLiteral("Couldn't update '%1'; it is locked by another user or process. Try again in a moment.")},
        {err::kItemNotFound, QStringLiteral("Item '%1' not found in this collection.")},
        {err::kPropertyNotFound, QStringLiteral("Property '%1' not found.")},
        {err::kRequiredIsNull,
         QStringLiteral("The field '%1' cannot contain a Null value because its Required property is set to "
                        "True. Enter a value in this field.")},
        {err::kZeroLengthNotAllowed, QStringLiteral("Field '%1' cannot be a zero-length string.")},
        {err::kValidationRuleViolated,
         QStringLiteral("One or more values are prohibited by the validation rule '%1' set for '%2'. Enter a "
                        "value that the expression for this field can accept.")},
        {err::kRecordsetNotUpdatable, QStringLiteral("This recordset is not updatable. %1")},
        {err::kUnrecognizedFormat, QStringLiteral("Unrecognized database format '%1'.")},
        {err::kNameExists,
         QStringLiteral("Cannot append. An object named '%1' already exists in the collection.")},
        {err::kConversionError, QStringLiteral("Data type conversion error: '%1' cannot be stored in %2.")},
    };
    return table;
}

// Leaves no dangling "%1" when a caller had nothing to fill in.
QString fill(QString text, const QString& arg1, const QString& arg2) {
    text.replace(QStringLiteral("%1"), arg1);
    text.replace(QStringLiteral("%2"), arg2);
    return text.simplified();
}

}  // namespace

QString errorTemplate(int number) {
    return errorTable().value(number, QStringLiteral("Engine error %1.").arg(number));
}

EngineError::EngineError(int number, const QString& arg1, const QString& arg2) {
    record_.number = number;
    record_.description = fill(errorTemplate(number), arg1, arg2);
    record_.source = kDefaultSource;
    updateWhat();
}

EngineError EngineError::withDescription(int number, const QString& description) {
    EngineError error;
    error.record_.number = number;
    error.record_.description = description;
    error.record_.source = kDefaultSource;
    error.updateWhat();
    return error;
}

EngineError& EngineError::setSource(const QString& source) {
    record_.source = source;
    updateWhat();
    return *this;
}

void EngineError::updateWhat() {
    what_ = QStringLiteral("Error %1: %2").arg(record_.number).arg(record_.description).toStdString();
}

const ErrorRecord& ErrorList::item(int index) const {
    if (index < 0 || index >= count()) throw EngineError(err::kItemNotFound, QString::number(index));
    return records_[static_cast<size_t>(index)];
}

}  // namespace veranth::engine
