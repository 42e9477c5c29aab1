// Administration queries both storages run as written. SQLite numbers $N parameters in the
// order they first appear, so each statement names them in the order $1, $2.
#pragma once

namespace server::admin_sql {

inline constexpr const char* kOrganizationNames = "SELECT name FROM organizations ORDER BY name";

// Name, disabled (0 or 1), check-outs held.
inline constexpr const char* kUsersOf =
    "SELECT u.name, u.disabled, (SELECT COUNT(*) FROM checkouts c WHERE c.user_id = u.id) "
    "FROM users u WHERE u.organization_id = $1 ORDER BY u.name";

// The new value, then the user's id.
inline constexpr const char* kSetPasswordHash = "UPDATE users SET password_hash = $1 WHERE id = $2";
inline constexpr const char* kSetDisabled = "UPDATE users SET disabled = $1 WHERE id = $2";
inline constexpr const char* kReleaseCheckoutsOf =
    "DELETE FROM checkouts WHERE user_id = $1 RETURNING file_id";

// A project's rows, those that refer to others first.
inline constexpr const char* kRemoveProject[] = {
    "DELETE FROM label_versions WHERE label_id IN (SELECT id FROM labels WHERE project_id = $1)",
    "DELETE FROM labels WHERE project_id = $1",
    "DELETE FROM checkouts WHERE file_id IN (SELECT id FROM files WHERE project_id = $1)",
    "DELETE FROM versions WHERE file_id IN (SELECT id FROM files WHERE project_id = $1)",
    "DELETE FROM files WHERE project_id = $1",
    "DELETE FROM projects WHERE id = $1",
};

}  // namespace server::admin_sql
