#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <variant>

namespace veranth::engine {

// The kinds a Value can hold, in Basic's order of promotion for numbers.
enum class ValueType {
    Empty,
    Null,
    Boolean,
    Byte,
    Integer,   // 16-bit
    Long,      // 32-bit
    Currency,  // 64-bit integer of 1/10000 units
    Single,
    Double,
    Date,      // days since 30 Dec 1899, fraction = time of day
    String,
    Binary,
};

// Currency is kept as a scaled integer so sums of money stay exact.
struct Currency {
    static constexpr std::int64_t kScale = 10000;
    std::int64_t scaled = 0;

    static Currency fromUnits(std::int64_t units) { return Currency{units * kScale}; }
    double toDouble() const { return static_cast<double>(scaled) / kScale; }
    friend bool operator==(Currency a, Currency b) { return a.scaled == b.scaled; }
};

// The engine's variant. Holds exactly one of the kinds above; conversions between
// kinds live in conversions.h, arithmetic and comparison in value_ops.h.
class Value {
public:
    Value() = default;  // Empty
    Value(const QString& text) : type_(ValueType::String), data_(text) {}
    Value(const char* text) : Value(QString::fromUtf8(text)) {}

    static Value null() { return Value(ValueType::Null, std::monostate{}); }
    static Value boolean(bool b) { return Value(ValueType::Boolean, std::int64_t{b ? -1 : 0}); }
    static Value byte(std::uint8_t v) { return Value(ValueType::Byte, std::int64_t{v}); }
    static Value integer(std::int16_t v) { return Value(ValueType::Integer, std::int64_t{v}); }
    static Value longValue(std::int32_t v) { return Value(ValueType::Long, std::int64_t{v}); }
    static Value currency(Currency c) { return Value(ValueType::Currency, c.scaled); }
    static Value single(float v) { return Value(ValueType::Single, double{v}); }
    static Value doubleValue(double v) { return Value(ValueType::Double, v); }
    static Value date(double serial) { return Value(ValueType::Date, serial); }
    static Value string(const QString& s) { return Value(s); }
    static Value binary(const QByteArray& bytes) { return Value(ValueType::Binary, bytes); }

    ValueType type() const { return type_; }
    bool isNull() const { return type_ == ValueType::Null; }
    bool isEmpty() const { return type_ == ValueType::Empty; }
    // Null or Empty: the two "no value" states.
    bool isMissing() const { return isNull() || isEmpty(); }
    bool isNumeric() const;  // Boolean through Double (not Date)
    bool isText() const { return type_ == ValueType::String; }

    // Raw payloads; valid only for the matching kinds (checked by assertion).
    bool rawBool() const { return std::get<std::int64_t>(data_) != 0; }
    std::int64_t rawInteger() const { return std::get<std::int64_t>(data_); }  // Boolean..Long
    Currency rawCurrency() const { return Currency{std::get<std::int64_t>(data_)}; }
    double rawDouble() const { return std::get<double>(data_); }  // Single, Double, Date
    const QString& rawString() const { return std::get<QString>(data_); }
    const QByteArray& rawBinary() const { return std::get<QByteArray>(data_); }

    // Same kind and same payload; text compared exactly (see value_ops.h for Basic comparison).
    friend bool operator==(const Value& a, const Value& b) { return a.type_ == b.type_ && a.data_ == b.data_; }

    // Name of the kind as Basic's TypeName reports it ("Long", "Currency", ...).
    static QString typeName(ValueType type);

private:
    using Storage = std::variant<std::monostate, std::int64_t, double, QString, QByteArray>;
    Value(ValueType type, Storage data) : type_(type), data_(std::move(data)) {}

    ValueType type_ = ValueType::Empty;
    Storage data_;
};

}  // namespace veranth::engine
