// The controls of the window fmConn, by id.
#pragma once

namespace sondalink {

enum ControlId : int {
  kFrame1 = 1,
  kPcFrame,
  kLabel6,
  kEdServer,
  kOptTrusted,
  kOptSQL,
  kLabel2,
  kEdLogin,
  kLabel1,
  kEdPassword,
  kEdLog,
  kCmdSQLDMO,
  kCmdADO,
  kCmdDAODirect,
  kCmdRDO,
  kCmdODBC,
  kCmdOpenLog,
};

}  // namespace sondalink
