// The repository's tables and the steps that bring an older schema up to date, written once
// for every database; each database supplies its words for ids, integers and texts and what
// it keeps beside the tables (SchemaWords), and where it records its version (SchemaStore).
// Creating and upgrading run above both.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace server {

// Each step takes a schema one version up; the first schema is version 1.
extern const std::int64_t kCurrentSchemaVersion;

// {word} in the schema's texts, rendered as the database names it.
using SchemaWords = std::map<std::string, std::string>;

// text with each {word} replaced by its rendering; a word the database does not name is a
// StorageError.
std::string RenderSchema(const std::string& text, const SchemaWords& words);

// One database's schema inside the transaction the caller holds.
class SchemaStore {
  public:
    virtual ~SchemaStore() = default;
    // How messages name the database: "Data folder 'DIR'".
    virtual std::string Shown() const = 0;
    virtual const SchemaWords& Words() const = 0;
    // The version stored, or none when the database holds no schema of ours.
    virtual std::optional<std::int64_t> StoredVersion() = 0;
    virtual void Execute(const std::string& statements) = 0;
    virtual void RecordVersion(std::int64_t version) = 0;
};

// The tables at the current version, in an empty database.
void CreateSchemaIn(SchemaStore& store);

// Brings an older schema to the current version; refuses a newer one and a database without
// our tables (StorageError, hint following the message's first sentence), changing nothing.
// Returns whether it changed anything, so that the caller commits only then.
bool UpgradeSchemaIn(SchemaStore& store, const std::string& hint);

// The refusal of a schema this server does not know.
std::string NewerSchemaMessage(const std::string& shown, std::int64_t version);

}  // namespace server
