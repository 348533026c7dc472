// Connection types and versions, the texts that name them, and the routines that move between
// them: choosing a type by word, choosing a version, detecting an opened database's version,
// splitting an ODBC connect text, and building the connect and connection texts.
#pragma once

#include <string>

#include "core/db/connection_types.h"
#include "core/session/session.h"

namespace tessel {

// The table itself lives with the engine, which chooses drivers by it.
using db::ConnectionTypeRow;
using db::ConnectionTypes;
using db::kConnectionTypeCount;

void DBConn(Session& session, const std::string& word);
// May cut the caller's text to its first character, as the version check reads it.
void DBVer(Session& session, std::string& version);
void ConnectTypeText(Session& session, int index);
void DetectVersion(Session& session);
void ParseConnect(Session& session, const std::string& connect);

// "ODBC;DSN=x;UID=..;PWD=..;[Database=..;]" or the Driver/Server form.
std::string OdbcConnectText(const OdbcParts& parts);
// The data source text that runs statements for the current connection type ("dBASE Files;").
std::string StatementDataSource(const SharedState& state);
// The statement runner's connection text for the current database.
// `odbcConnect` is the ODBC connection's connect text, used when a data source name is set.
std::string StatementConnectionText(const SharedState& state, const std::string& odbcConnect);
// "Server=..\0Description=..\0Database=..\0".
std::string RegistrationAttributes(const OdbcParts& parts);

}  // namespace tessel
