#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "adodb/Connection.h"
#include "core/Variant.h"

namespace orvane::adodb {

// Runs a saved query (stored inside the database file) by name with
// positional parameter values, on a connection of its own.
class Command {
public:
    Command();
    ~Command();  // releases (closes) the command's own connection
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    // Setting a connection string opens a connection owned by the command.
    void SetActiveConnection(const std::string& connectionString);
    void SetCommandText(std::string commandText);

    // Values are bound as SQL parameters, never pasted into SQL text. The
    // query runs in a transaction: "SaveAddress" must insert exactly one
    // row and "UpdateAddress" change the one row of its ID (none when no
    // row has it), or the file is refused as altered and nothing is written.
    void Execute(const std::vector<Variant>& parameters, std::int32_t options = adOptionUnspecified);

private:
    std::unique_ptr<Connection> connection_;
    std::string commandText_;
};

// Creates a new database file from an SQL script, run whole in one
// transaction (so the script holds no BEGIN or COMMIT of its own). The path
// is a file name of this system as it stands. Refuses
// an existing path and a missing folder; a script that fails leaves no file.
void CreateDatabaseFile(const std::string& path, const std::string& script);

// Runs a saved query once per row, all in one transaction (for filling a
// database with generated addresses). next() fills the values of one row
// and returns false when there are no more rows. The vector it gets holds
// as many empty values as the query has parameters the first time, and the
// previous row's values after that; it may be assigned as a whole.
void ExecuteSavedQueryBatch(const std::string& connectionString, const std::string& queryName,
                            const std::function<bool(std::vector<Variant>&)>& next);
// The same on an open connection: in its transaction when it is in one (so
// the caller may read before the rows go in), else in one of its own.
void ExecuteSavedQueryBatch(Connection& connection, const std::string& queryName,
                            const std::function<bool(std::vector<Variant>&)>& next);
// The same for "SaveAddress", telling onInserted the ID of each row just
// inserted (read back from the row the engine reports as inserted). It must
// not use the connection: the query's rules still hold while it runs.
void ExecuteSavedQueryBatch(Connection& connection, const std::string& queryName,
                            const std::function<bool(std::vector<Variant>&)>& next,
                            const std::function<void(std::int64_t id)>& onInserted);

}  // namespace orvane::adodb
