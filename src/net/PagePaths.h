#pragma once

// Every address of the score server and of the vendor site, written once. The tool builds
// its requests from these and the server's route table routes them.
namespace corvanta::pages {

// Login, record file and clock.
inline constexpr char kCheckPassword[] = "/score/checkpassword.php";
inline constexpr char kRecord[] = "/score/record.php";
inline constexpr char kServerTime[] = "/score/servertime.php";

// Scores and groups.
inline constexpr char kUpload[] = "/score/index.php";
inline constexpr char kGroup[] = "/score/group.php";

// The console's pages.
inline constexpr char kGetTeacher[] = "/score/getteacher.php";
inline constexpr char kSetTeacher[] = "/score/setteacher.php";
inline constexpr char kSetClass[] = "/score/setclass.php";
inline constexpr char kRenameClass[] = "/score/renameclass.php";
inline constexpr char kStudent[] = "/score/student.php";
inline constexpr char kRenameStudent[] = "/score/renamestudent.php";
inline constexpr char kSetKeti[] = "/score/setketi.php";
inline constexpr char kRenameKeti[] = "/score/renameketi.php";
inline constexpr char kGetScale[] = "/score/getscale.php";
inline constexpr char kNewScale[] = "/score/newscale.php";
inline constexpr char kEditScale[] = "/score/editscale.php";
inline constexpr char kDelScale[] = "/score/delscale.php";
inline constexpr char kGetScore[] = "/score/getscore.php";
inline constexpr char kEditScore[] = "/score/editscore.php";
inline constexpr char kDelScore[] = "/score/delscore.php";

// Accounts.
inline constexpr char kRegTeacher[] = "/score/regteacher.php";
inline constexpr char kCheckUsername[] = "/score/checkusername.php";
inline constexpr char kGetPswdCode[] = "/score/getpswdcode.php";
inline constexpr char kSetPassword[] = "/score/setpassword.php";

// The web pages for people.
inline constexpr char kScoreHomeBare[] = "/score";
inline constexpr char kScoreHome[] = "/score/";
// The upload's address: a GET there is the home page.
inline constexpr char kScoreHomeIndex[] = "/score/index.php";
// After signing in on the home page: a class's page, its scores as CSV, signing out.
inline constexpr char kWebClass[] = "/score/class";
inline constexpr char kWebClassCsv[] = "/score/class.csv";
inline constexpr char kWebSignOut[] = "/score/signout";
// A student of a signed-in teacher's class: its page and its scores as CSV.
inline constexpr char kWebStudent[] = "/score/student";
inline constexpr char kWebStudentCsv[] = "/score/student.csv";
// What browsers and search engines ask every site for.
inline constexpr char kFavicon[] = "/favicon.ico";
inline constexpr char kRobots[] = "/robots.txt";

// The vendor site.
inline constexpr char kVersion[] = "/version.php";
inline constexpr char kUpdate[] = "/soft/update.php";
inline constexpr char kVendorHome[] = "/";

} // namespace corvanta::pages
