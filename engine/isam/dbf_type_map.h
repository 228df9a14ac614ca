#pragma once

#include "engine/isam/dbf_flavour.h"
#include "engine/isam/dbf_header.h"
#include "engine/schema.h"

namespace veranth::engine::isam {

// How an engine field is stored in a table of a flavour. Names longer than 10 characters,
// names the header cannot hold and types the flavour has no field for are refused (3251,
// naming the table and field), never cut or changed.
DbfFieldDescriptor dbfFieldFor(const FieldInfo& field, DbfFlavour flavour, const QString& tablePath);
// The engine field a stored field reads as when nothing else is known of it.
FieldInfo engineFieldFor(const DbfFieldDescriptor& field);
// Whether a field described in the side catalogue still fits the stored field (the file may
// have been changed by another program since).
bool dbfFieldCanHold(const DbfFieldDescriptor& stored, FieldType type);

}  // namespace veranth::engine::isam
