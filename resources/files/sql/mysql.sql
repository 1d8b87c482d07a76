-- Warsztat: structure of a new MySQL / MariaDB database.
--
-- Format read by the program: UTF-8; a line starting with "--" is a comment;
-- a statement may span lines and ends with ";" at the end of a line.
--
-- "{table.column}" stands for the type of a text column that staff type into:
-- the program puts in the type that its table of column lengths gives for
-- this engine, so that the forms and the database agree on every length.
--
-- Every table is InnoDB in utf8mb4 with the Polish collation. Dates are whole
-- seconds since 1970-01-01 UTC kept in BIGINT, so that moments after 2038 fit.
-- Texts are never narrower than the widest input that writes them; free texts
-- from multi-line editors are TEXT, generated HTML and settings MEDIUMTEXT.
-- The intake does not write sMCost, sSolution and iProgress of a repair, so
-- those three may be NULL; every other column is NOT NULL with an empty
-- default, so that a statement naming only some columns still succeeds.

-- Registers

CREATE TABLE repairs (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sNum VARCHAR(255) NOT NULL DEFAULT '',
    iAddDate BIGINT NOT NULL DEFAULT 0,
    iEndDate BIGINT NOT NULL DEFAULT 0,
    iType INT NOT NULL DEFAULT 0,
    sCost {repairs.sCost} NOT NULL DEFAULT '',
    sMCost {repairs.sMCost} NULL,
    sDefect {repairs.sDefect} NOT NULL DEFAULT (''),
    sSolution {repairs.sSolution} NULL,
    sComment {repairs.sComment} NOT NULL DEFAULT (''),
    sOuterNo {repairs.sOuterNo} NOT NULL DEFAULT '',
    iStatus INT NOT NULL DEFAULT 0,
    iProgress INT NULL,
    iClientId INT NOT NULL DEFAULT 0,
    iHardwareId INT NOT NULL DEFAULT 0,
    iSubmitterId INT NOT NULL DEFAULT 0,
    iTechnicanId INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE clients (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sFName {clients.sFName} NOT NULL DEFAULT '',
    sSName {clients.sSName} NOT NULL DEFAULT '',
    sCompany {clients.sCompany} NOT NULL DEFAULT '',
    sNIP {clients.sNIP} NOT NULL DEFAULT '',
    sStreet {clients.sStreet} NOT NULL DEFAULT '',
    sAddrBuild {clients.sAddrBuild} NOT NULL DEFAULT '',
    sAddrLoc {clients.sAddrLoc} NOT NULL DEFAULT '',
    sCity {clients.sCity} NOT NULL DEFAULT '',
    sPostal {clients.sPostal} NOT NULL DEFAULT '',
    sEmail {clients.sEmail} NOT NULL DEFAULT '',
    sEmail2 {clients.sEmail2} NOT NULL DEFAULT '',
    sPhone {clients.sPhone} NOT NULL DEFAULT '',
    sPhone2 {clients.sPhone2} NOT NULL DEFAULT '',
    sDescription {clients.sDescription} NOT NULL DEFAULT ('')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE hardware (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sHName {hardware.sHName} NOT NULL DEFAULT '',
    iHType INT NOT NULL DEFAULT 0,
    iStoreStatus INT NOT NULL DEFAULT 0,
    iReceivedDate BIGINT NOT NULL DEFAULT 0,
    sStoreComment {hardware.sStoreComment} NOT NULL DEFAULT (''),
    sField1 {hardware.sField1} NOT NULL DEFAULT '',
    sField2 {hardware.sField2} NOT NULL DEFAULT '',
    sField3 {hardware.sField3} NOT NULL DEFAULT '',
    sField4 {hardware.sField4} NOT NULL DEFAULT '',
    sField5 {hardware.sField5} NOT NULL DEFAULT '',
    sField6 {hardware.sField6} NOT NULL DEFAULT '',
    sField7 {hardware.sField7} NOT NULL DEFAULT '',
    sField8 {hardware.sField8} NOT NULL DEFAULT '',
    sField9 {hardware.sField9} NOT NULL DEFAULT '',
    sField10 {hardware.sField10} NOT NULL DEFAULT '',
    sField11 {hardware.sField11} NOT NULL DEFAULT '',
    sField12 {hardware.sField12} NOT NULL DEFAULT '',
    sField13 {hardware.sField13} NOT NULL DEFAULT '',
    sField14 {hardware.sField14} NOT NULL DEFAULT '',
    iFieldDate BIGINT NOT NULL DEFAULT 0,
    sFieldLong {hardware.sFieldLong} NOT NULL DEFAULT (''),
    iOwner INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE templates (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sHName {templates.sHName} NOT NULL DEFAULT '',
    iHType INT NOT NULL DEFAULT 0,
    sField1 {templates.sField1} NOT NULL DEFAULT '',
    sField2 {templates.sField2} NOT NULL DEFAULT '',
    sField3 {templates.sField3} NOT NULL DEFAULT '',
    sField4 {templates.sField4} NOT NULL DEFAULT '',
    sField5 {templates.sField5} NOT NULL DEFAULT '',
    sField6 {templates.sField6} NOT NULL DEFAULT '',
    sField7 {templates.sField7} NOT NULL DEFAULT '',
    sField8 {templates.sField8} NOT NULL DEFAULT '',
    sField9 {templates.sField9} NOT NULL DEFAULT '',
    sField10 {templates.sField10} NOT NULL DEFAULT '',
    sField11 {templates.sField11} NOT NULL DEFAULT '',
    sField12 {templates.sField12} NOT NULL DEFAULT '',
    sField13 {templates.sField13} NOT NULL DEFAULT '',
    sField14 {templates.sField14} NOT NULL DEFAULT '',
    iFieldDate BIGINT NOT NULL DEFAULT 0,
    sFieldLong {templates.sFieldLong} NOT NULL DEFAULT ('')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE notes (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iRepairId INT NOT NULL DEFAULT 0,
    iAddDate BIGINT NOT NULL DEFAULT 0,
    iSeverity INT NOT NULL DEFAULT 0,
    sNote MEDIUMTEXT NOT NULL DEFAULT (''),
    iUserId INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE billing (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iAddDate BIGINT NOT NULL DEFAULT 0,
    iClientId INT NOT NULL DEFAULT 0,
    iRepairId INT NOT NULL DEFAULT 0,
    iHardwareId INT NOT NULL DEFAULT 0,
    sPriceNet VARCHAR(255) NOT NULL DEFAULT '',
    sPriceGross VARCHAR(255) NOT NULL DEFAULT '',
    sPriceParts VARCHAR(255) NOT NULL DEFAULT '',
    sPriceLabor VARCHAR(255) NOT NULL DEFAULT '',
    sPriceOuter VARCHAR(255) NOT NULL DEFAULT '',
    sDescription TEXT NOT NULL DEFAULT (''),
    iStatus INT NOT NULL DEFAULT 0,
    iDate BIGINT NOT NULL DEFAULT 0,
    iUser INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE smshistory (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iDate BIGINT NOT NULL DEFAULT 0,
    sNumber VARCHAR(255) NOT NULL DEFAULT '',
    sText TEXT NOT NULL DEFAULT (''),
    iUserId INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

-- Database-wide settings and dictionaries

CREATE TABLE settings (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sGroup VARCHAR(100) NOT NULL DEFAULT '',
    sKey VARCHAR(100) NOT NULL DEFAULT '',
    sValue MEDIUMTEXT NOT NULL DEFAULT (''),
    iUserId INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE fieldsconf (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sName VARCHAR(50) NOT NULL DEFAULT '',
    sValue VARCHAR(255) NOT NULL DEFAULT '',
    bRequired TINYINT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE typesconf (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iTypeId INT NOT NULL DEFAULT 0,
    sDescription VARCHAR(255) NOT NULL DEFAULT '',
    iOrder INT NOT NULL DEFAULT 0,
    bVisible TINYINT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE statusesconf (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iStatusId INT NOT NULL DEFAULT 0,
    iGroup INT NOT NULL DEFAULT 0,
    sDescription VARCHAR(255) NOT NULL DEFAULT '',
    sColor VARCHAR(20) NOT NULL DEFAULT '',
    iOrder INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE hwstatusesconf (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iStatusId INT NOT NULL DEFAULT 0,
    iGroup INT NOT NULL DEFAULT 0,
    sDescription VARCHAR(255) NOT NULL DEFAULT '',
    sColor VARCHAR(20) NOT NULL DEFAULT '',
    iOrder INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

-- Printouts

CREATE TABLE doctemplates (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sName VARCHAR(255) NOT NULL DEFAULT '',
    sTemplate MEDIUMTEXT NOT NULL DEFAULT ('')
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE docsources (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    iRepairId INT NOT NULL DEFAULT 0,
    iDate BIGINT NOT NULL DEFAULT 0,
    sName VARCHAR(255) NOT NULL DEFAULT '',
    sDocument MEDIUMTEXT NOT NULL DEFAULT (''),
    iUserId INT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

-- Users and schema version

CREATE TABLE users (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sUser VARCHAR(255) NOT NULL DEFAULT '',
    sPassword VARCHAR(255) NOT NULL DEFAULT '',
    iLevel INT NOT NULL DEFAULT 7,
    bActive TINYINT NOT NULL DEFAULT 0
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

CREATE TABLE version (
    iId INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    sVersion VARCHAR(50) NOT NULL DEFAULT ''
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4 COLLATE=utf8mb4_polish_ci;

-- After this script come the starting data (seed.sql, the same on both
-- engines) and the indexes, from the program's own list of them (DbIndexes),
-- which also completes databases made by earlier versions.
