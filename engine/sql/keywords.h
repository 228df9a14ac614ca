#pragma once

#include <QString>
#include <QStringView>

namespace veranth::engine::sql {

// Every word the parser gives a meaning to. Most are reserved (they cannot name a table, column or
// alias unless bracketed); the rest only mean something in one place, so columns such as "Type" or
// "Key" keep working as plain names.
enum class Keyword : unsigned char {
    None,
    Add, All, Alter, And, Any, As, Asc, Between, By, Column, Constraint, Create, Default, Delete,
    Desc, Disallow, Distinct, DistinctRow, Drop, Eqv, Exists, False, Foreign, From, Group, Having,
    Ignore, Imp, In, Index, Inner, Insert, Into, Is, Join, Key, Left, Like, Mod, Not, Null, On,
    Option, Or, Order, Outer, OwnerAccess, Parameters, Percent, Pivot, Primary, References, Right,
    Select, Set, Some, Table, Top, Transform, True, Union, Unique, Update, Values, Where, With,
    Xor,  // stays last: tables indexed by keyword are sized by it
};

// The keyword an identifier spells, without regard to case; Keyword::None for any other word.
Keyword keywordOf(QStringView word);

// The keyword in upper case, as error messages and the printer write it.
QString keywordText(Keyword keyword);

// A reserved word ends a name or an alias: "FROM t WHERE ..." cannot read WHERE as t's alias.
bool isReserved(Keyword keyword);

}  // namespace veranth::engine::sql
